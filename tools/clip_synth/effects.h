// Reusable sound-effect voices: shots, blasts, whooshes, mechanical clicks, claps,
// thuds, ricochets, bells. Each renders a mono sound at its natural length.
#pragma once
#include <vector>

#include "clip_synth/dsp.h"
#include "clip_synth/stereo.h"

namespace clipsynth {

struct GunStyle {
  double crack = 1;      // level of the sharp high-frequency report
  double body = 1;       // level of the mid-band blast
  double boom = 0.8;     // level of the low thump
  double boomHz = 95;    // where the thump's pitch drop starts
  double bodyHz = 1800;  // low-pass of the blast
  double decay = 0.025;  // blast time constant, seconds
  double tail = 0.25;    // reverberant tail time constant, seconds
  double tailLevel = 0.15;
  double length = 0.7;   // seconds rendered
  double grit = 1.5;     // overdrive of the blast
};
Signal Gunshot(int rate, Rng& rng, const GunStyle& style);

struct BlastStyle {
  double length = 3;       // seconds rendered
  double rumbleHz = 700;   // low-pass of the rumble at the start (falls over time)
  double decay = 0.8;      // rumble time constant, seconds
  double sub = 1;          // level of the sub-bass boom
  double crack = 0.7;      // level of the initial crack
  double debris = 0.3;     // level of falling debris crackle
};
Signal Explosion(int rate, Rng& rng, const BlastStyle& style);

// Band-passed noise whose centre glides from `fromHz` to `toHz`, loudest at `peakAt` (0..1).
Signal Whoosh(int rate, Rng& rng, double seconds, double fromHz, double toHz, double q,
              double peakAt = 0.5);

// A hard mechanical click: impulse, a very short noise burst and a few metal resonances
// around `toneHz`.
Signal MechClick(int rate, Rng& rng, double toneHz, double decay, double ring = 0.5);

// One hand clap; `toneHz` sets the hollow of the hands.
Signal HandClap(int rate, Rng& rng, double toneHz, double decay = 0.012);

// Applause of `people` between two times, loudness following `swell` (0..1 over time in
// seconds from `from`), spread across the stereo field.
void AddApplause(Stereo& out, Rng& rng, double from, double to, int people, const Curve& swell,
                 double gain, double width = 0.9);

// A dull impact: a low pitched thump with some noise (punch, door, arrow hitting wood).
Signal Thud(int rate, Rng& rng, double hz, double decay, double noise = 0.4);

// A bullet glancing off stone: impact tick and a falling whine.
Signal Ricochet(int rate, Rng& rng);

// The partials of a struck bell of nominal pitch `hz`; `decayScale` stretches the ring.
std::vector<Mode> BellModes(double hz, double decayScale, Rng& rng);

// Upward-chirping decaying sine: a water bubble.
void AddBubble(Signal& out, size_t at, int rate, double hz, double decay, double amp);

}  // namespace clipsynth
