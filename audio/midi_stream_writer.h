// Turns a MIDI file's tracks, merged in time order, into the 12-byte stream events a MIDI
// stream device plays: delta ticks, stream id 0, event word. A buffer closes once it holds a
// little more than 60 ms of music, so the device never runs far ahead of a stop.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/midi_file.h"

namespace board {

// Event words of the system's stream interface.
constexpr uint32_t kMevtShortMsg = 0x00000000;
constexpr uint32_t kMevtTempo = 0x01000000;
constexpr uint32_t kMevtFCallback = 0x40000000;
constexpr uint32_t kStreamEventBytes = 12;  // a stream event without parameters
constexpr uint32_t kStreamBufferBytes = 1024;
constexpr uint32_t kDefaultTempo = 500000;  // µs per quarter note when a file gives none

// Fill flags.
constexpr uint32_t kAllTracksEnded = 1;
constexpr uint32_t kReadError = 2;
constexpr uint32_t kEventPending = 4;

struct StreamBuffer {
  uint8_t* data = nullptr;
  uint32_t written = 0;
  uint32_t capacity = 0;
  uint32_t startTick = 0;  // tick of the buffer's first event
  bool spanFlag = false;   // the buffer already went one event past its span
};

enum class FillResult {
  kFilled,  // the buffer holds what could be converted (perhaps nothing): send it
  kEnd,     // the piece is over and not looping: nothing was written
  kError,   // a malformed event: nothing more follows
};

enum class WriteResult { kWritten, kDropped, kFull };

class MidiConverter {
 public:
  // Reads the header and tracks (see ReadMidiFile) and resets every conversion state. The
  // bytes must outlive the converter's use of them.
  bool load(const uint8_t* data, size_t length);
  void unload();

  // Converts events into `buffer` from its start. `reset` first forgets an earlier end or
  // read error (a fresh stream's first buffer); the pending event is kept, as it is the
  // piece's next event and a reload mid-piece would otherwise lose it.
  FillResult fill(StreamBuffer& buffer, bool reset);
  // Every track back to its start and the current tick to 0.
  void rewind();
  // Forgets the end, a read error and the pending event.
  void clearFillState();
  // One event into the buffer: channel messages and tempo changes are written, everything
  // else is dropped without moving the current tick.
  WriteResult write(StreamBuffer& buffer, const MidiEvent& event);

  const MidiHeader& header() const { return header_; }
  uint32_t currentTick() const { return currentTick_; }
  uint32_t spanLimit() const { return spanLimit_; }
  uint32_t tempo() const { return tempo_; }
  uint32_t fillFlags() const { return fillFlags_; }

  bool loop = false;
  bool insertTempo = false;  // put the current tempo before the next written event
  int32_t tempoPercent = 100;

 private:
  MidiTrack* nextTrack();

  MidiHeader header_;
  std::vector<MidiTrack> tracks_;
  uint32_t currentTick_ = 0;
  uint32_t spanLimit_ = 0;  // ticks in 60 ms at the current tempo; 0 until a tempo is seen
  uint32_t tempo_ = 0;      // µs per quarter note; 0 until a tempo is seen
  uint32_t fillFlags_ = 0;
  MidiEvent pending_;
};

// The three words of one written stream event.
struct StreamEvent {
  uint32_t delta;
  uint32_t streamId;
  uint32_t event;
  bool operator==(const StreamEvent&) const = default;
};
std::vector<StreamEvent> ReadStreamEvents(const uint8_t* data, uint32_t bytes);

}  // namespace board
