// Standard MIDI files read in place: the "MThd" header, the "MTrk" tracks and their events.
// Every read stays inside the bytes given; a track whose size runs past them is refused.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace board {

constexpr uint32_t kTrackEnded = 1;  // MidiTrack::flags

struct MidiTrack {
  uint32_t flags = 0;
  uint32_t size = 0;               // body bytes, from the "MTrk" header
  const uint8_t* start = nullptr;  // first body byte
  const uint8_t* read = nullptr;   // next byte to read
  uint32_t nextTick = 0;           // absolute tick of the next event
  uint8_t runningStatus = 0;       // last channel status, 0 before the first

  bool ended() const { return flags & kTrackEnded; }
  size_t left() const { return size_t(start + size - read); }
};

// One event read from a track. System-exclusive and meta bytes point into the file, which
// outlives the piece, so nothing is copied and nothing needs freeing.
struct MidiEvent {
  uint32_t tick = 0;
  uint8_t status = 0;
  uint8_t data1 = 0;  // meta: the type byte
  uint8_t data2 = 0;
  uint32_t length = 0;            // bytes at `bytes` (system-exclusive and meta only)
  const uint8_t* bytes = nullptr;
};

struct MidiHeader {
  uint16_t format = 0;
  uint16_t trackCount = 0;
  uint16_t timeDivision = 0;  // ticks per quarter note
};

// Parses the header and locates every track, reading each one's first delta. False for a
// missing "MThd", a header length other than 6, a missing "MTrk", a track running past
// `length`, or a failed delta read.
bool ReadMidiFile(const uint8_t* data, size_t length, MidiHeader& header,
                  std::vector<MidiTrack>& tracks);

// Seven bits per byte, high bits first, at most four bytes (the format's limit; a fifth
// would overflow 32 bits). False when the track ends first or a fifth byte would be needed.
bool ReadVarLength(MidiTrack& track, uint32_t& value);

// Puts a track back at its start: tick 0, no running status, its first delta read again.
// A size-0 track stays ended. False when the first delta can't be read.
bool RewindTrack(MidiTrack& track);

// Reads the track's next event and the delta after it (unless the track has just ended).
// False on a data byte with no running status, a status 0xF1..0xF6 or 0xF8..0xFE, or a read
// past the track's end.
bool ReadMidiEvent(MidiTrack& track, MidiEvent& event);

}  // namespace board
