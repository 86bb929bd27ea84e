// Standard MIDI files for tests and benchmarks, built event by event.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace board::testing {

class Track {
 public:
  // Any bytes after a delta: an event written by hand, running status included.
  Track& raw(uint32_t delta, std::initializer_list<uint8_t> bytes) {
    varLength(delta);
    body_.insert(body_.end(), bytes.begin(), bytes.end());
    return *this;
  }
  Track& on(uint32_t delta, uint8_t channel, uint8_t key, uint8_t velocity = 100) {
    return raw(delta, {uint8_t(0x90 | channel), key, velocity});
  }
  Track& off(uint32_t delta, uint8_t channel, uint8_t key) {
    return raw(delta, {uint8_t(0x80 | channel), key, 0});
  }
  Track& tempo(uint32_t delta, uint32_t microseconds) {
    return raw(delta, {0xFF, 0x51, 0x03, uint8_t(microseconds >> 16), uint8_t(microseconds >> 8),
                       uint8_t(microseconds)});
  }
  Track& end(uint32_t delta = 0) { return raw(delta, {0xFF, 0x2F, 0x00}); }
  void varLength(uint32_t v) {
    uint8_t groups[5];
    int n = 0;
    do {
      groups[n++] = uint8_t(v & 0x7F);
      v >>= 7;
    } while (v);
    while (n > 1) body_.push_back(uint8_t(groups[--n] | 0x80));
    body_.push_back(groups[0]);
  }
  const std::vector<uint8_t>& body() const { return body_; }

 private:
  std::vector<uint8_t> body_;
};

inline void PutBig(std::vector<uint8_t>& out, uint32_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(uint8_t(v >> (8 * i)));
}

// "MThd" (length 6, the format, track count and division) and one "MTrk" per track.
inline std::vector<uint8_t> MidiFile(uint16_t division, const std::vector<Track>& tracks,
                                     uint16_t format = 1) {
  std::vector<uint8_t> out = {'M', 'T', 'h', 'd'};
  PutBig(out, 6, 4);
  PutBig(out, format, 2);
  PutBig(out, uint32_t(tracks.size()), 2);
  PutBig(out, division, 2);
  for (const Track& t : tracks) {
    out.insert(out.end(), {'M', 'T', 'r', 'k'});
    PutBig(out, uint32_t(t.body().size()), 4);
    out.insert(out.end(), t.body().begin(), t.body().end());
  }
  return out;
}

// A type-0 piece of `notes` note-on/note-off pairs on channel 0, `step` ticks apart, after a
// tempo event; about 9 bytes per note.
inline std::vector<uint8_t> ScalePiece(int notes, uint32_t step = 24, uint16_t division = 96,
                                       uint32_t tempo = 500000) {
  Track t;
  t.tempo(0, tempo);
  for (int i = 0; i < notes; ++i) {
    const uint8_t key = uint8_t(48 + i % 36);
    t.on(i ? step : 0, 0, key).off(step, 0, key);
  }
  t.end();
  return MidiFile(division, {t}, 0);
}

}  // namespace board::testing
