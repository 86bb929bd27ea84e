#include "audio/midi_file.h"

#include <cstring>

namespace board {
namespace {

uint32_t LoadBigU32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}
uint16_t LoadBigU16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }

bool ReadByte(MidiTrack& track, uint8_t& value) {
  if (track.left() < 1) return false;
  value = *track.read++;
  return true;
}

}  // namespace

bool ReadVarLength(MidiTrack& track, uint32_t& value) {
  value = 0;
  for (int i = 0; i < 4; ++i) {
    uint8_t b;
    if (!ReadByte(track, b)) return false;
    value = value << 7 | (b & 0x7F);
    if (!(b & 0x80)) return true;
  }
  return false;
}

bool RewindTrack(MidiTrack& track) {
  track.read = track.start;
  track.runningStatus = 0;
  track.nextTick = 0;
  track.flags = track.size == 0 ? kTrackEnded : 0;
  return track.size == 0 || ReadVarLength(track, track.nextTick);
}

bool ReadMidiFile(const uint8_t* data, size_t length, MidiHeader& header,
                  std::vector<MidiTrack>& tracks) {
  tracks.clear();
  if (!data || length < 14 || std::memcmp(data, "MThd", 4) != 0 || LoadBigU32(data + 4) != 6)
    return false;
  header.format = LoadBigU16(data + 8);
  header.trackCount = LoadBigU16(data + 10);
  header.timeDivision = LoadBigU16(data + 12);
  tracks.resize(header.trackCount);
  size_t at = 14;
  for (MidiTrack& track : tracks) {
    if (length - at < 8 || std::memcmp(data + at, "MTrk", 4) != 0) return false;
    const uint32_t size = LoadBigU32(data + at + 4);
    at += 8;
    if (size > length - at) return false;  // the track would run past the data
    track.size = size;
    track.start = data + at;
    if (!RewindTrack(track)) return false;
    at += size;
  }
  return true;
}

bool ReadMidiEvent(MidiTrack& track, MidiEvent& event) {
  event = MidiEvent{};
  event.tick = track.nextTick;
  uint8_t status;
  if (!ReadByte(track, status)) return false;
  bool haveFirst = false;
  if (status < 0x80) {  // a data byte under running status
    if (!track.runningStatus) return false;
    event.data1 = status;
    haveFirst = true;
    status = track.runningStatus;
  }
  event.status = status;
  if (status < 0xF0) {
    track.runningStatus = status;
    if (!haveFirst && !ReadByte(track, event.data1)) return false;
    const bool oneByte = status >= 0xC0 && status <= 0xDF;
    if (!oneByte && !ReadByte(track, event.data2)) return false;
  } else if (status == 0xF0 || status == 0xF7 || status == 0xFF) {
    if (status == 0xFF && !ReadByte(track, event.data1)) return false;
    if (!ReadVarLength(track, event.length) || event.length > track.left()) return false;
    event.bytes = track.read;
    track.read += event.length;
    if (status == 0xFF && event.data1 == 0x2F) track.flags |= kTrackEnded;
  } else {
    return false;
  }
  if (track.ended()) return true;
  if (track.left() == 0) {  // no end-of-track event: the track ends with its bytes
    track.flags |= kTrackEnded;
    return true;
  }
  uint32_t delta;
  if (!ReadVarLength(track, delta)) return false;
  track.nextTick += delta;
  return true;
}

}  // namespace board
