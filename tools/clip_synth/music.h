// Music: synthesized instruments and drums, and a small pattern sequencer that arranges a
// piece from sections (chord progressions, bass, arpeggio, stabs, drums, generated melody)
// and fits it exactly to a clip's length.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "clip_synth/dsp.h"
#include "clip_synth/stereo.h"

namespace clipsynth {

enum class Instrument {
  kPad,        // detuned saws, slow swell
  kStrings,    // ensemble with vibrato
  kEPiano,     // FM electric piano
  kPluck,      // plucked string / harp
  kBell,       // glockenspiel
  kVibes,      // vibraphone with tremolo
  kMarimba,
  kBass,       // round electric bass
  kSynthBass,  // resonant, punchy
  kLead,       // soft pulse lead with vibrato
  kChipLead,   // bright square
  kBrass,      // filter-swelled brass section
  kOrgan,
  kFlute,
  kWah,        // muted trumpet-like, comic
};

enum class Drum { kKick, kSnare, kClap, kClosedHat, kOpenHat, kTom, kCrash, kShaker, kTimpani, kSnap };

// A note held for `seconds` (its release rings on after that).
Signal RenderNote(Instrument instrument, int rate, double freq, double seconds, double velocity,
                  Rng& rng);
// One drum hit; `tune` scales its pitch.
Signal RenderDrum(Drum drum, int rate, double velocity, double tune, Rng& rng);

struct Scale {
  std::array<int, 7> steps;
};
inline constexpr Scale kMajor{{0, 2, 4, 5, 7, 9, 11}};
inline constexpr Scale kMinor{{0, 2, 3, 5, 7, 8, 10}};
inline constexpr Scale kHarmonicMinor{{0, 2, 3, 5, 7, 8, 11}};
inline constexpr Scale kMixolydian{{0, 2, 4, 5, 7, 9, 10}};

// A chord on a scale degree (0 = tonic); `tones` 3 = triad, 4 = seventh chord.
struct Chord {
  int degree;
  int tones = 3;
};
using Progression = std::vector<Chord>;

// Parts a section plays.
enum PartFlag : unsigned {
  kPad = 1u << 0,
  kArp = 1u << 1,
  kBassLine = 1u << 2,
  kBeat = 1u << 3,      // kick and snare
  kHats = 1u << 4,
  kMelody = 1u << 5,
  kStabs = 1u << 6,
  kFill = 1u << 7,      // drum fill in the last bar
  kCrashIn = 1u << 8,   // crash cymbal on the first beat
  kClaps = 1u << 9,
  kCounter = 1u << 10,  // slow counter-melody
  kHalfTime = 1u << 11, // kick and snare from the half-time patterns
  kExtra = 1u << 12,    // the extra percussion pattern
};

struct Section {
  int bars;
  int progression;  // index into Piece::progressions
  unsigned parts;
  int theme = 0;    // melody theme: the same theme on the same chords repeats the tune
  double level = 1;
};

struct PartSound {
  Instrument instrument = Instrument::kPad;
  int octave = 4;     // MIDI octave of the register (4 = middle C upwards)
  double gain = 0.5;
  double pan = 0;
  double send = 0.2;  // share sent to the reverb
};

struct Piece {
  int beatsPerBar = 4;
  int stepsPerBeat = 4;   // pattern resolution
  int chordBeats = 4;     // beats per chord of a progression
  int tonic = 60;         // MIDI note of the key
  Scale scale = kMajor;
  double swing = 0;       // beats the off-beat eighth is delayed
  std::vector<Progression> progressions;
  PartSound pad, arp, bass, melody, stabs, counter;
  // Patterns, one character per step, cycled. Arp: chord tone index 0-7. Bass: R root,
  // T third, F fifth, O octave, W walk towards the next chord. Stabs: x chord. Drums:
  // X accent, x hit, o ghost. In all: '-' holds the previous note, '.' rests.
  std::string arpPattern, bassPattern, stabPattern;
  std::string kick, snare, hats, claps, halfKick, halfSnare, extra;
  Drum snareDrum = Drum::kSnare, hatDrum = Drum::kClosedHat, extraDrum = Drum::kShaker;
  double drumGain = 0.8, drumSend = 0.08;
  // Melody rhythms: one pattern per bar of a four-bar phrase ('x' note, '-' hold, '.' rest).
  std::array<std::string, 4> melodyRhythm;
  std::vector<Section> sections;
  double tail = 2;        // seconds after the last bar while the final chord rings
  ReverbSettings reverb;
  uint64_t seed = 1;
};

// Renders the piece into a mix of exactly `frames` frames: the tempo is chosen so the bars
// end `tail` seconds before the end, where a final tonic chord rings out.
Stereo RenderPiece(int rate, size_t frames, const Piece& piece);

}  // namespace clipsynth
