// How a clip sits in time as a listener meets it: how peaky it is, where its sound starts,
// how evenly the two speakers carry it, and how its quiet parts fall into digital silence.
// The clip report prints these; the tests hold the clips to them.
#pragma once
#include <span>

namespace clipsynth {

// Digital silence counts as this level when measuring a fall into it.
constexpr double kSilenceFloorDb = -60;

struct ClipShape {
  double crestDb = 0;         // sample peak (dBFS) over the loudest short-term (3 s) loudness
  double leadInSeconds = 0;   // before the first sample within 40 dB of the peak
  double balanceDb = 0;       // left over right RMS; 0 for mono
  int ditherSwitches = 0;     // falls into digital silence (10 ms or more) that sound follows
  double shortestGap = 0;     // seconds: the shortest of those silences (0 when none)
  double soundSeconds = 0;    // the clip's length outside those silences
  double steepestFallDb = 0;  // largest drop from the 10 ms before a silence into it
  double infrasound = 0;      // share of the energy below 20 Hz (0..1)
};
// `interleaved` as decoded from the stored PCM, full scale 1. Zeroes for bad input.
ClipShape MeasureShape(std::span<const float> interleaved, int channels, int rate);

// Shots: peaks within 6 dB of the clip's peak, at least 60 ms apart. The median level of
// the loudest sample 20 to 50 ms after each, in dB under its shot's peak (0 when none).
double LevelAfterShotsDb(std::span<const float> interleaved, int channels, int rate);

}  // namespace clipsynth
