// Reusable sound-effect voices: shots, blasts, whooshes, mechanical clicks, claps,
// thuds, ricochets, bells. Each renders a mono sound at its natural length.
#pragma once
#include <vector>

#include "clip_synth/dsp.h"
#include "clip_synth/stereo.h"

namespace clipsynth {

// A gunshot in three parts: a crack with energy up to the top of the sample rate (the
// first instant of the muzzle blast and, for a supersonic round, the bullet's N-wave), the
// body of the blast (a band of noise, overdriven, with a low thump under it) and a tail of
// reflections that darkens as it dies, with an optional discrete echo.
struct GunStyle {
  double crack = 1;         // level of the broadband crack
  double nWaveMs = 0;       // length of the bullet's N-wave; 0 for a subsonic round
  double body = 1;          // level of the blast
  double blastMs = 0;       // above 0, the blast is also a Friedlander pressure pulse: a jump,
                            // a fall through zero after this many ms, a shallow suction after
  double bodyHz = 1200;     // centre of the blast's band
  double bodyQ = 0.8;
  double bodyDecay = 0.02;  // seconds (time constant)
  double boom = 0.6;        // level of the low thump, whose pitch drops from boomHz
  double boomHz = 120;
  double boomDecay = 0.06;
  double drive = 2.5;       // overdrive of crack, blast and thump together
  double tail = 0.2;        // level of the diffuse reflections
  double tailDecay = 0.25;
  double tailHz = 2500;     // brightness of the reflections as they start
  double slap = 0;          // level of a discrete echo (a wall, a hillside)
  double slapDelay = 0.2;
  double length = 0.6;      // seconds rendered: the shot has died away by then
};
Signal Gunshot(int rate, Rng& rng, const GunStyle& style);

// A blast: crack, a mid-band report, a rolling rumble, a sub-bass boom and falling debris.
struct BlastStyle {
  double length = 3;        // seconds rendered
  double rumbleHz = 700;    // low-pass of the rumble at the start (falls over time)
  double decay = 0.8;       // rumble time constant, seconds
  double sub = 1;           // level of the sub-bass boom
  double crack = 0.7;       // level of the initial broadband crack
  double report = 0.9;      // level of the mid-band report: what makes it a bang, not a thud
  double reportHz = 900;
  double reportDecay = 0.09;
  double debris = 0.3;      // level of falling debris crackle
};
Signal Explosion(int rate, Rng& rng, const BlastStyle& style);

// Band-passed noise whose centre glides from `fromHz` to `toHz`, loudest at `peakAt` (0..1).
Signal Whoosh(int rate, Rng& rng, double seconds, double fromHz, double toHz, double q,
              double peakAt = 0.5);

// A hard mechanical click: impulse, a very short noise burst and a few metal resonances
// around `toneHz`.
Signal MechClick(int rate, Rng& rng, double toneHz, double decay, double ring = 0.5);

// One hand clap: a sharp snap of air with energy up to the top of the band, into the hollow
// of the cupped hands ringing briefly at `toneHz`.
Signal HandClap(int rate, Rng& rng, double toneHz, double decay = 0.012);

// Applause of up to `people` clappers between two times. `swell` (0..1, over seconds from
// `from`) sets how many are clapping and how hard: they join as it rises and drop out as it
// falls. Each has their own hands, pace and place: near ones bright, far ones duller.
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
