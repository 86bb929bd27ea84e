// The host's edge: the command layer reaches sound through one integer-coded service entry,
// which decodes each request into a call on the running SoundHost (sound_host.h).
#pragma once
#include <cstdint>

namespace board {

class SoundHost;

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

// Process start and end, called by the program entry. HostStart makes the host (its player
// list, its MIDI player) and hands HostService to the command layer; it must run before any
// command. HostEnd stops all sound, waits for every WAV worker to end, then lets the host go.
void HostStart();
void HostEnd();

// The host between HostStart and HostEnd; null outside.
SoundHost* RunningHost();

}  // namespace board
