// Music clips: stings and pieces in three moods (soothing, intense, cheerful), each
// numbered variant with its own key, tempo, progression, instruments and grooves.
#include <cmath>

#include "clip_synth/music.h"
#include "clip_synth/recipes.h"
#include "clip_synth/speech.h"
#include "clip_synth/voice.h"

namespace clipsynth {
namespace {

using I = Instrument;

// Bright and dramatic: strings, brass stabs, glockenspiel arpeggios, timpani.
Stereo DatingShowWoman(Take& k) {
  Piece p;
  p.tonic = 64;  // E major
  p.progressions = {{{0}, {2}, {3}, {4}}, {{5}, {3}, {0}, {4}}, {{3}, {4}}};
  p.pad = {I::kStrings, 4, 0.5, -0.2, 0.3};
  p.arp = {I::kBell, 5, 0.35, 0.35, 0.3};
  p.bass = {I::kBass, 2, 0.6, 0, 0.05};
  p.melody = {I::kLead, 4, 0.45, 0.1, 0.25};
  p.stabs = {I::kBrass, 4, 0.5, -0.1, 0.2};
  p.arpPattern = "0.1.2.1.3.2.1.2.";
  p.bassPattern = "R-.RR-.RF-.FO-.R";
  p.stabPattern = "X--.x--.x-x-....";
  p.kick = "X...x...X...x.x.";
  p.snare = "....X.......X...";
  p.hats = "x.x.x.x.x.x.x.xx";
  p.extra = "X.............x.";
  p.extraDrum = Drum::kTimpani;
  p.melodyRhythm = {"x---x-x-x---x---", "x-x-x-x-x-------", "x---x-x-x---x---", "x-------x---x---"};
  p.sections = {{2, 2, kPad | kStabs | kExtra | kFill, 0, 0.85},
                {8, 0, kPad | kArp | kBassLine | kBeat | kHats | kMelody | kCrashIn},
                {6, 1, kPad | kArp | kBassLine | kBeat | kHats | kStabs | kMelody | kCrashIn | kFill, 1}};
  p.tail = 2.2;
  p.reverb = {.room = 0.8, .damping = 0.4, .wet = 0.3};
  p.seed = 10;
  return RenderPiece(k.rate, k.frames, p);
}

// Confident and driving: organ, brass lead, synth bass, claps; a breakdown before the
// return of the theme.
Stereo DatingShowMan(Take& k) {
  Piece p;
  p.tonic = 69;  // A mixolydian
  p.scale = kMixolydian;
  p.progressions = {{{0}, {6}, {3}, {0}}, {{3}, {4}, {0}, {6}}, {{5}, {3}, {1}, {4}}};
  p.pad = {I::kOrgan, 4, 0.35, -0.25, 0.2};
  p.arp = {I::kPluck, 4, 0.4, 0.4, 0.2};
  p.bass = {I::kSynthBass, 2, 0.6, 0, 0.03};
  p.melody = {I::kBrass, 4, 0.55, 0.05, 0.25};
  p.stabs = {I::kBrass, 4, 0.35, -0.3, 0.2};
  p.counter = {I::kStrings, 3, 0.4, 0.3, 0.3};
  p.arpPattern = "0.2.1.2.0.2.1.2.";
  p.bassPattern = "R.RO.RR.R.RO.RFW";
  p.stabPattern = "..x...x...x..x-.";
  p.kick = "X...x.....X.x...";
  p.snare = "....X.......X..o";
  p.hats = "x.X.x.X.x.X.x.X.";
  p.claps = "....X.......X...";
  p.melodyRhythm = {"x-x-x---x-x-x---", "x---x---x-x-x---", "x-x-x---x-x-x---", "x-------x-------"};
  p.sections = {{4, 0, kBassLine | kBeat | kHats | kFill, 0, 0.8},
                {8, 0, kPad | kBassLine | kBeat | kHats | kStabs | kMelody | kCrashIn},
                {8, 1, kPad | kArp | kBassLine | kBeat | kHats | kClaps | kMelody | kCrashIn | kFill, 1},
                {4, 2, kPad | kArp | kCounter | kFill, 0, 0.8},
                {8, 0, kPad | kArp | kBassLine | kBeat | kHats | kClaps | kStabs | kMelody | kCrashIn}};
  p.tail = 2.5;
  p.reverb = {.room = 0.7, .damping = 0.45, .wet = 0.22};
  p.seed = 60;
  return RenderPiece(k.rate, k.frames, p);
}

// 求包养, pleaded twice in a coy, breathy voice (speech synthesis by espeak-ng, performed a
// little higher and trembling) over a playful swung tune that makes room for it: a walking
// bass, vibraphone, a muted wah lead, finger snaps, a giggle, and a slide whistle to finish.
Stereo PrettyPlease(Take& k) {
  Piece p;
  p.tonic = 65;  // F major
  p.swing = 0.17;
  p.progressions = {{{0, 4}, {5, 4}, {1, 4}, {4, 4}}};
  p.pad = {I::kVibes, 4, 0.45, -0.3, 0.3};
  p.bass = {I::kBass, 2, 0.7, 0.05, 0.05};
  p.melody = {I::kWah, 4, 0.6, 0.2, 0.2};
  p.bassPattern = "R---T---F---W---";
  p.snare = "....X.......X...";
  p.snareDrum = Drum::kSnap;
  p.hats = "x.x.x.x.x.x.x.x.";
  p.hatDrum = Drum::kShaker;
  p.kick = "X.......x.......";
  p.melodyRhythm = {"..x-x-x-x---....", "..x-x-x-x-------", "..x-x-x-x---x-x-", "x-x-x-------...."};
  p.sections = {{1, 0, kPad | kBassLine | kHats, 0, 0.85},
                {4, 0, kPad | kBassLine | kBeat | kHats | kMelody}};
  p.tail = 1.6;
  p.reverb = {.room = 0.6, .damping = 0.5, .wet = 0.2};
  p.seed = 72;
  Stereo mix = RenderPiece(k.rate, k.frames, p);
  // The wink: a slide whistle swooping up over the last chord.
  Signal slide(Samples(0.6, k.rate));
  double phase = 0;
  for (size_t i = 0; i < slide.size(); ++i) {
    double u = double(i) / slide.size();
    phase += (600 * std::pow(3.0, SmoothStep(u))) / k.rate;
    slide[i] = float(std::sin(kTwoPi * phase) * 0.25 * SmoothStep(u / 0.1) * SmoothStep((1 - u) / 0.15));
  }
  mix.mix(slide, k.seconds - 1.45, 1, 0.3);

  Stereo voice(k.rate, k.frames);
  const Delivery coy{.lift = 1.12, .trembleHz = 6, .trembleCents = 15, .presenceDb = 3, .drive = 1, .breath = 0.15};
  const struct {
    const char* words;
    double at;
  } pleas[] = {{"求包<prosody rate=\"x-slow\">养</prosody>", 0.45},
               {"<prosody rate=\"slow\">求</prosody>包养<prosody rate=\"x-slow\">嘛</prosody>", 5.3}};
  for (const auto& plea : pleas)
    voice.mix(Perform({plea.words, "f5", 78, "x-high", 140}, coy, k.rate, k.rng.next()), plea.at, 1, -0.05);
  // A giggle at her own cheek.
  std::vector<Syllable> giggle;
  LaughStyle st{.pitch = 380, .fall = 0.2, .syllableFall = 0.15, .syllableRate = 8, .voicedShare = 0.45,
                .onset = 0.025, .breath = 0.35, .vowel = 'i', .formantScale = 1.2, .fade = 0.3, .inhale = 0};
  AddLaughBout(giggle, k.rng, st, 0, 5, 1);
  Signal g(Samples(1.0, k.rate));
  Voice girl(k.rate, k.rng.next(), {.jitter = 0.02, .shimmer = 0.15});
  Speak(g, k.rate, giggle, girl);
  constexpr double kGiggleAt = 7.1;
  voice.mix(g, kGiggleAt, 0.6, 0.1);
  ApplyReverb(voice, {.room = 0.35, .damping = 0.5, .wet = 0.12});
  // The music ducks under the voice, and further under the giggle, which is quiet and high
  // and would drown in it.
  OnePole follow(4, k.rate);
  for (size_t i = 0; i < k.frames; ++i) {
    const double level = follow.low(std::min(1.0, 6.0 * (std::fabs(voice.left[i]) + std::fabs(voice.right[i]))));
    const double t = double(i) / k.rate - kGiggleAt;
    const double giggle = SmoothStep((t + 0.15) / 0.15) * SmoothStep((0.9 - t) / 0.3);
    const double duck = std::min(1 - 0.6 * Clamp(level * 3, 0, 1), 1 - 0.82 * giggle);
    mix.left[i] = float(mix.left[i] * duck + voice.left[i]);
    mix.right[i] = float(mix.right[i] * duck + voice.right[i]);
  }
  return mix;
}

// Gentle waltz: harp-like arpeggios over pads, a flute tune later.
Stereo Soothing2(Take& k) {
  Piece p;
  p.beatsPerBar = 3;
  p.stepsPerBeat = 2;
  p.chordBeats = 3;
  p.tonic = 63;  // E flat major
  p.progressions = {{{0, 4}, {5, 4}, {1, 4}, {4, 3}}, {{3, 4}, {2, 4}, {1, 4}, {4, 3}}};
  p.pad = {I::kPad, 4, 0.45, 0, 0.4};
  p.arp = {I::kPluck, 4, 0.4, 0.2, 0.35};
  p.bass = {I::kBass, 2, 0.4, 0, 0.1};
  p.melody = {I::kFlute, 4, 0.45, -0.1, 0.4};
  p.counter = {I::kEPiano, 4, 0.3, 0.3, 0.35};
  p.arpPattern = "012321";
  p.bassPattern = "R-----";
  p.extra = "..o.o.";
  p.extraDrum = Drum::kShaker;
  p.drumGain = 0.3;
  p.melodyRhythm = {"x---x-", "x-x-x-", "x---x-", "x-----"};
  p.sections = {{1, 0, kPad | kArp, 0, 0.8},
                {4, 0, kPad | kArp | kBassLine},
                {4, 0, kPad | kArp | kBassLine | kMelody | kExtra},
                {4, 1, kPad | kArp | kBassLine | kMelody | kCounter | kExtra, 1}};
  p.tail = 2.5;
  p.reverb = {.room = 0.88, .damping = 0.35, .wet = 0.35};
  p.seed = 38;
  return RenderPiece(k.rate, k.frames, p);
}

// Slow and warm: electric piano arpeggios, pads, a glockenspiel tune, a soft bass.
Stereo Soothing(Take& k) {
  Piece p;
  p.stepsPerBeat = 2;
  p.tonic = 62;  // D major
  p.progressions = {{{0, 4}, {2}, {5, 4}, {3, 4}}, {{1, 4}, {4}, {0, 4}, {3, 4}}};
  p.pad = {I::kPad, 4, 0.45, -0.15, 0.45};
  p.arp = {I::kEPiano, 4, 0.45, 0.2, 0.35};
  p.bass = {I::kBass, 2, 0.35, 0, 0.1};
  p.melody = {I::kVibes, 4, 0.4, -0.2, 0.45};
  p.arpPattern = "01232123";
  p.bassPattern = "R-------";
  p.melodyRhythm = {"x--x--x-", "x-x-x---", "x--x--x-", "x-------"};
  p.sections = {{1, 0, kPad | kArp, 0, 0.8},
                {4, 0, kPad | kArp | kBassLine | kMelody},
                {4, 1, kPad | kArp | kBassLine | kMelody, 1}};
  p.tail = 2.5;
  p.reverb = {.room = 0.9, .damping = 0.3, .wet = 0.38};
  p.seed = 41;
  return RenderPiece(k.rate, k.frames, p);
}

// E minor at speed: sixteenth-note bass, string ostinato, brass hits, a half-time middle.
Stereo Intense(Take& k) {
  Piece p;
  p.tonic = 64;  // E minor
  p.scale = kMinor;
  p.progressions = {{{0}, {5}, {2}, {6}}, {{0}, {3}, {5}, {6}}};
  p.pad = {I::kStrings, 3, 0.35, -0.2, 0.25};
  p.arp = {I::kStrings, 4, 0.4, 0.25, 0.2};
  p.bass = {I::kSynthBass, 2, 0.6, 0, 0.02};
  p.melody = {I::kLead, 4, 0.45, 0, 0.2};
  p.stabs = {I::kBrass, 4, 0.5, -0.1, 0.2};
  p.arpPattern = "0.0.1.0.2.0.1.0.";
  p.bassPattern = "RRRRRRRRRRRRRROO";
  p.stabPattern = "X..X..X...X.X...";
  p.kick = "X...x.X.X...x...";
  p.snare = "....X.......X...";
  p.hats = "xoxoxoxoxoxoxoxo";
  p.halfKick = "X.........X.....";
  p.halfSnare = "........X.......";
  p.extra = "..........x.x.x.";
  p.extraDrum = Drum::kTom;
  p.melodyRhythm = {"x.x.x.x.x---x---", "x.x.x.x.x-------", "x.x.x.x.x---x---", "x---x---x-------"};
  p.sections = {{2, 0, kArp | kBassLine | kHats | kFill, 0, 0.8},
                {8, 0, kPad | kArp | kBassLine | kBeat | kHats | kMelody | kCrashIn},
                {4, 1, kPad | kBassLine | kBeat | kHalfTime | kStabs | kExtra | kCrashIn | kFill},
                {4, 0, kPad | kArp | kBassLine | kBeat | kHats | kStabs | kMelody | kCrashIn}};
  p.tail = 1.8;
  p.reverb = {.room = 0.7, .damping = 0.5, .wet = 0.2};
  p.seed = 51;
  return RenderPiece(k.rate, k.frames, p);
}

// D harmonic minor: a plucked sixteenth ostinato, timpani, brass tune, strings.
Stereo Intense3(Take& k) {
  Piece p;
  p.tonic = 62;  // D minor
  p.scale = kHarmonicMinor;
  p.progressions = {{{0}, {3}, {4}, {0}}, {{0}, {5}, {3}, {4}}};
  p.pad = {I::kStrings, 4, 0.4, -0.25, 0.3};
  p.arp = {I::kPluck, 4, 0.45, 0.3, 0.15};
  p.bass = {I::kBass, 2, 0.6, 0, 0.03};
  p.melody = {I::kBrass, 4, 0.5, 0, 0.25};
  p.stabs = {I::kStrings, 3, 0.45, 0.1, 0.2};
  p.arpPattern = "0120312031203120";
  p.bassPattern = "R.R.R.R.R.R.RFO.";
  p.stabPattern = "X.......X..X....";
  p.kick = "X..X..X...X..X..";
  p.snare = "....X.......X...";
  p.hats = "x.x.x.x.x.x.x.x.";
  p.halfKick = "X.......X.......";
  p.halfSnare = "........X.......";
  p.extra = "X.....X.X.......";
  p.extraDrum = Drum::kTimpani;
  p.melodyRhythm = {"x---x---x-x-x---", "x-x-x-x-x-------", "x---x---x-x-x---", "x-------x-------"};
  p.sections = {{3, 0, kPad | kArp | kExtra, 0, 0.85},
                {8, 0, kPad | kArp | kBassLine | kBeat | kHats | kMelody | kExtra | kCrashIn},
                {4, 1, kArp | kBassLine | kBeat | kHalfTime | kStabs | kMelody | kCrashIn, 1}};
  p.tail = 1.8;
  p.reverb = {.room = 0.75, .damping = 0.45, .wet = 0.22};
  p.seed = 63;
  return RenderPiece(k.rate, k.frames, p);
}

// C sharp minor, four on the floor: octave-jumping bass, open hats, string stabs.
Stereo Intense2(Take& k) {
  Piece p;
  p.tonic = 61;  // C sharp minor
  p.scale = kHarmonicMinor;
  p.progressions = {{{0}, {5}, {3}, {4}}, {{0}, {3}, {5}, {4}}};
  p.pad = {I::kPad, 4, 0.35, 0, 0.3};
  p.arp = {I::kPluck, 5, 0.35, -0.3, 0.15};
  p.bass = {I::kSynthBass, 2, 0.6, 0, 0.02};
  p.melody = {I::kLead, 4, 0.45, 0.1, 0.2};
  p.stabs = {I::kStrings, 4, 0.5, 0.2, 0.2};
  p.arpPattern = "0102010201020102";
  p.bassPattern = "RORORORORORORORO";
  p.stabPattern = "X.X.X.X.X.X.X.X.";
  p.kick = "X...X...X...X...";
  p.snare = "....X..o....X.o.";
  p.hats = "..x...x...x...x.";
  p.hatDrum = Drum::kOpenHat;
  p.halfKick = "X.........X.....";
  p.halfSnare = "........X.......";
  p.melodyRhythm = {"x-x-x---x-x-x-x-", "x-------x-x-x---", "x-x-x---x-x-x-x-", "x-------x-------"};
  p.sections = {{2, 0, kArp | kBassLine | kHats | kFill, 0, 0.8},
                {8, 0, kPad | kArp | kBassLine | kBeat | kHats | kMelody | kCrashIn | kFill},
                {4, 1, kPad | kBassLine | kBeat | kHalfTime | kStabs | kMelody | kCrashIn, 1}};
  p.tail = 1.8;
  p.reverb = {.room = 0.7, .damping = 0.5, .wet = 0.2};
  p.seed = 68;
  return RenderPiece(k.rate, k.frames, p);
}

// G major, bouncy: marimba tune, plucked arpeggios, off-beat piano chords, claps.
Stereo Cheerful(Take& k) {
  Piece p;
  p.tonic = 67;  // G major
  p.progressions = {{{0}, {4}, {5}, {3}}, {{3}, {0}, {1}, {4}}, {{5}, {2}, {3}, {4}}};
  p.pad = {I::kStrings, 4, 0.25, 0, 0.3};
  p.arp = {I::kPluck, 4, 0.4, 0.35, 0.2};
  p.bass = {I::kBass, 2, 0.65, 0, 0.03};
  p.melody = {I::kMarimba, 4, 0.6, -0.1, 0.2};
  p.stabs = {I::kEPiano, 4, 0.4, -0.35, 0.2};
  p.counter = {I::kFlute, 5, 0.35, 0.3, 0.3};
  p.arpPattern = "0.2.1.2.0.2.1.2.";
  p.bassPattern = "R.FR..F.R.FO..F.";
  p.stabPattern = "..x...x...x...x.";
  p.kick = "X.......X.x.....";
  p.claps = "....X.......X...";
  p.hats = "x.x.x.x.x.x.x.x.";
  p.extra = "..x...x...x...xx";
  p.melodyRhythm = {"x-x-x---x-xx----", "x---x-x-x-------", "x-x-x---x-xx----", "x-x-x-x-x-------"};
  const unsigned full = kPad | kArp | kBassLine | kBeat | kHats | kClaps | kStabs | kMelody;
  p.sections = {{2, 0, kArp | kClaps, 0, 0.85},
                {8, 0, full | kCrashIn},
                {8, 1, full | kExtra | kCrashIn | kFill, 1},
                {8, 0, full | kCrashIn},
                {4, 2, kPad | kArp | kCounter | kExtra | kFill, 0, 0.85},
                {8, 1, full | kExtra | kCrashIn, 1},
                {4, 0, full | kCrashIn}};
  p.tail = 2;
  p.reverb = {.room = 0.6, .damping = 0.5, .wet = 0.18};
  p.seed = 62;
  return RenderPiece(k.rate, k.frames, p);
}

// C major, fast and game-like: square-wave tune, organ chords, bouncing bass.
Stereo Cheerful3(Take& k) {
  Piece p;
  p.tonic = 60;  // C major
  p.chordBeats = 2;
  p.progressions = {{{0}, {4}, {5}, {2}, {3}, {0}, {3}, {4}}, {{3}, {4}, {2}, {5}}, {{5}, {4}, {3}, {4}}};
  p.pad = {I::kOrgan, 4, 0.3, -0.2, 0.2};
  p.arp = {I::kChipLead, 4, 0.25, 0.35, 0.15};
  p.bass = {I::kSynthBass, 2, 0.55, 0, 0.02};
  p.melody = {I::kChipLead, 4, 0.5, 0, 0.2};
  p.counter = {I::kBell, 5, 0.3, -0.3, 0.3};
  p.arpPattern = "0120";
  p.bassPattern = "R.O.R.O.R.O.F.O.";
  p.kick = "X...x...X...x...";
  p.snare = "....X.......X...";
  p.claps = "....X.......X...";
  p.hats = "x.x.x.x.x.x.x.x.";
  p.melodyRhythm = {"x-xxx-x-x-x-x---", "x-x-x-x-x-------", "x-xxx-x-x-x-x---", "x-x-x---x-------"};
  const unsigned full = kPad | kArp | kBassLine | kBeat | kHats | kMelody;
  p.sections = {{4, 0, kArp | kBassLine | kHats | kFill, 0, 0.85},
                {8, 0, full | kCrashIn},
                {8, 1, full | kClaps | kCounter | kCrashIn | kFill, 1},
                {8, 0, full | kCrashIn},
                {8, 2, kPad | kArp | kBassLine | kBeat | kCounter | kMelody | kCrashIn | kFill, 2},
                {8, 0, full | kClaps | kCrashIn}};
  p.tail = 2;
  p.reverb = {.room = 0.5, .damping = 0.5, .wet = 0.15};
  p.seed = 67;
  return RenderPiece(k.rate, k.frames, p);
}

// A major shuffle: whistle-like flute tune, strummed plucks, claps and shaker.
Stereo Cheerful2(Take& k) {
  Piece p;
  p.tonic = 69;  // A major
  p.swing = 0.15;
  p.progressions = {{{0}, {3}, {0}, {4}}, {{3}, {4}, {2}, {5}}};
  p.pad = {I::kStrings, 4, 0.25, 0.1, 0.3};
  p.bass = {I::kBass, 2, 0.65, 0, 0.03};
  p.melody = {I::kFlute, 4, 0.55, -0.05, 0.25};
  p.stabs = {I::kPluck, 4, 0.35, 0.35, 0.15};
  p.counter = {I::kVibes, 4, 0.35, -0.35, 0.3};
  p.bassPattern = "R...F...R...F.W.";
  p.stabPattern = "x.x.x.x.x.x.x.x.";
  p.kick = "X.......X.......";
  p.claps = "....X.......X...";
  p.hats = "x.x.x.x.x.x.x.x.";
  p.hatDrum = Drum::kShaker;
  p.melodyRhythm = {"x-x-x-x-x---..x-", "x---x-x-x-------", "x-x-x-x-x---..x-", "x-x-x---x-------"};
  const unsigned full = kPad | kBassLine | kBeat | kHats | kClaps | kStabs | kMelody;
  p.sections = {{2, 0, kStabs | kHats, 0, 0.85},
                {8, 0, full | kCrashIn},
                {8, 1, full | kCounter | kCrashIn | kFill, 1},
                {8, 0, full | kCrashIn},
                {2, 0, kPad | kStabs | kBassLine | kClaps}};
  p.tail = 2;
  p.reverb = {.room = 0.6, .damping = 0.5, .wet = 0.18};
  p.seed = 71;
  return RenderPiece(k.rate, k.frames, p);
}

}  // namespace

Recipe MusicRecipe(int clipId) {
  switch (clipId) {
    case 10: return DatingShowWoman;
    case 38: return Soothing2;
    case 41: return Soothing;
    case 51: return Intense;
    case 60: return DatingShowMan;
    case 62: return Cheerful;
    case 63: return Intense3;
    case 67: return Cheerful3;
    case 68: return Intense2;
    case 71: return Cheerful2;
    case 72: return PrettyPlease;
    default: return nullptr;
  }
}

}  // namespace clipsynth
