#include "audio/midi_stream_writer.h"

namespace board {
namespace {

void StoreU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

void Put(StreamBuffer& buffer, uint32_t delta, uint32_t word) {
  uint8_t* at = buffer.data + buffer.written;
  StoreU32(at, delta);
  StoreU32(at + 4, 0);  // stream id
  StoreU32(at + 8, word);
  buffer.written += kStreamEventBytes;
}

}  // namespace

bool MidiConverter::load(const uint8_t* data, size_t length) {
  unload();
  if (ReadMidiFile(data, length, header_, tracks_)) return true;
  unload();
  return false;
}

void MidiConverter::unload() {
  header_ = {};
  tracks_.clear();
  currentTick_ = spanLimit_ = tempo_ = 0;
  clearFillState();
  loop = insertTempo = false;
  tempoPercent = 100;
}

void MidiConverter::rewind() {
  for (MidiTrack& track : tracks_)
    if (!RewindTrack(track)) track.flags |= kTrackEnded;  // read fine at load: can't happen
  currentTick_ = 0;
}

void MidiConverter::clearFillState() {
  fillFlags_ = 0;
  pending_ = {};
}

MidiTrack* MidiConverter::nextTrack() {
  MidiTrack* best = nullptr;
  for (MidiTrack& track : tracks_)  // strict < keeps the lower index on equal ticks
    if (!track.ended() && (!best || track.nextTick < best->nextTick)) best = &track;
  return best;
}

FillResult MidiConverter::fill(StreamBuffer& buffer, bool reset) {
  buffer.written = 0;
  if (reset) fillFlags_ &= ~(kAllTracksEnded | kReadError);
  if (fillFlags_ & kReadError) return FillResult::kError;
  bool rewound = false;
  if (fillFlags_ & kAllTracksEnded) {
    if (!loop) return FillResult::kEnd;
    rewind();
    fillFlags_ &= ~kAllTracksEnded;
    rewound = true;
  }
  if (fillFlags_ & kEventPending) {
    if (write(buffer, pending_) == WriteResult::kFull) return FillResult::kFilled;
    fillFlags_ &= ~kEventPending;
    pending_ = {};
  }
  for (;;) {
    MidiTrack* track = nextTrack();
    if (!track) {
      fillFlags_ |= kAllTracksEnded;
      // A looping piece with nothing to play would hand the device empty buffers forever.
      if (rewound && buffer.written == 0) return FillResult::kEnd;
      return FillResult::kFilled;
    }
    MidiEvent event;
    if (!ReadMidiEvent(*track, event)) {
      fillFlags_ |= kReadError;
      // What was converted before the bad event still plays.
      return buffer.written ? FillResult::kFilled : FillResult::kError;
    }
    if (event.status == 0xFF && event.data1 == 0x2F) continue;
    if (write(buffer, event) == WriteResult::kFull) {
      pending_ = event;
      fillFlags_ |= kEventPending;
      return FillResult::kFilled;
    }
  }
}

WriteResult MidiConverter::write(StreamBuffer& buffer, const MidiEvent& event) {
  uint32_t word = 0;
  uint32_t newTempo = 0;
  if (event.status >= 0x80 && event.status < 0xF0) {
    word = kMevtShortMsg | event.status | uint32_t(event.data1) << 8 | uint32_t(event.data2) << 16;
    if ((event.status & 0xF0) == 0xB0 && event.data1 == 7) word |= kMevtFCallback;  // channel volume
  } else if (event.status == 0xFF && event.data1 == 0x51 && event.length >= 3) {
    newTempo = uint32_t(event.bytes[0]) << 16 | uint32_t(event.bytes[1]) << 8 | event.bytes[2];
    // A zero tempo would divide by zero below and stop the device's clock.
    if (newTempo == 0) newTempo = tempo_ ? tempo_ : kDefaultTempo;
  } else {
    return WriteResult::kDropped;  // system-exclusive, other meta, a tempo too short to read
  }

  if (buffer.capacity - buffer.written < kStreamEventBytes) return WriteResult::kFull;
  if (buffer.written == 0) {
    buffer.startTick = currentTick_;
    buffer.spanFlag = false;
  }
  if (currentTick_ - buffer.startTick > spanLimit_) {
    if (!buffer.spanFlag) {
      buffer.spanFlag = true;
    } else {
      buffer.spanFlag = false;
      return WriteResult::kFull;
    }
  }
  const uint32_t percent = tempoPercent > 0 ? uint32_t(tempoPercent) : 100;  // never / 0
  // The tempo field has 24 bits: a larger value is cut rather than spilling into the
  // event type.
  auto tempoWord = [&](uint32_t t) {
    return kMevtTempo | uint32_t((uint64_t(t) * 100 / percent) & 0xFFFFFF);
  };
  if (insertTempo) {
    if (tempo_) {
      // Both must fit, or the tempo waits for the next buffer with its event.
      if (buffer.capacity - buffer.written < 2 * kStreamEventBytes) return WriteResult::kFull;
      Put(buffer, 0, tempoWord(tempo_));
    }
    insertTempo = false;
  }
  if (newTempo) {
    tempo_ = newTempo;
    spanLimit_ = uint32_t(uint64_t(header_.timeDivision) * 60000 / tempo_);
    word = tempoWord(tempo_);
  }
  const uint32_t delta = event.tick - currentTick_;
  currentTick_ = event.tick;
  Put(buffer, delta, word);
  return WriteResult::kWritten;
}

std::vector<StreamEvent> ReadStreamEvents(const uint8_t* data, uint32_t bytes) {
  std::vector<StreamEvent> events;
  for (uint32_t at = 0; at + kStreamEventBytes <= bytes; at += kStreamEventBytes) {
    auto load = [&](uint32_t off) {
      const uint8_t* p = data + at + off;
      return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    };
    events.push_back({load(0), load(4), load(8)});
  }
  return events;
}

}  // namespace board
