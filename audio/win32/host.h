// The host object: serves the command layer's requests through one entry, keeps the MIDI
// player and its copy of the piece, and stops all sound at the end of the program.
#pragma once
#include <cstdint>

namespace board {

constexpr int32_t kServicePlay = 2015;
constexpr int32_t kServiceStop = 2016;

// What service 2015 receives by address.
struct PlayRequest {
  const uint8_t* data;
  int32_t length;
  int32_t loop;
};

// The single service entry: 2015 plays the request at address `first` (1 when it played),
// 2016 stops all sound without waiting (0); anything else, or a call outside
// HostStart..HostEnd, gives 0.
int32_t HostService(int32_t code, intptr_t first, intptr_t second);

// RIFF/WAVE data starts one more WAV player; MIDI data replaces the MIDI piece (1 once it is
// recognised, even if it can't be opened); anything else gives 0.
int32_t PlayData(const uint8_t* data, int32_t length, int32_t loop);

// Process start and end, called by the program entry. HostStart creates the player list and
// hands HostService to the command layer; it must run before any command. HostEnd stops all
// sound, waits for every WAV worker to end, then deletes the player list.
void HostStart();
void HostEnd();

}  // namespace board
