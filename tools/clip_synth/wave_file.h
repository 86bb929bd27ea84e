// Turning a finished mix into a clip's RIFF/WAVE file, and measuring the PCM of one.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "app/clip_catalogue.h"
#include "clip_synth/stereo.h"

namespace clipsynth {

// Frames a clip of this format holds (its data bytes over the block size).
size_t ClipFrames(const board::ClipFormat& format);

// Where the sound is, triangular dither from a seeded generator keeps quiet passages smooth
// and the output reproducible. A gate decides where the sound is: it opens where a sample
// reaches kDitherGateSteps quantization steps, fading in over the hold time before it, and
// stays open while samples of kDitherKeepSteps keep coming within kDitherHoldSeconds. The
// lower level to stay open than to open keeps the hiss from switching on and off while a
// sound hovers near the threshold. When it shuts, signal and dither fade out together over
// kDitherFadeSeconds, so a decaying tail sinks into silence instead of stopping dead; a pause
// shorter than kDitherBridgeSeconds keeps it open, so the hiss never drops out for a moment
// in the middle of a sound. Where
// the gate is shut, and where the mix is exactly zero, the output is digital silence: no
// dither hiss fills the pauses and the endings.
constexpr double kDitherGateSteps = 2.5;
constexpr double kDitherKeepSteps = 1.0;
constexpr double kDitherHoldSeconds = 0.02;
constexpr double kDitherFadeSeconds = 0.05;
constexpr double kDitherBridgeSeconds = 0.12;

// The mix as PCM in the clip's format (8-bit unsigned around 128 or 16-bit signed
// little-endian, channels interleaved), exactly `format.dataBytes` long.
std::vector<uint8_t> EncodePcm(const Stereo& mix, const board::ClipFormat& format, uint64_t seed);

// The ids listed in `format.extraChunks`, in order.
std::vector<std::string> ExtraChunkIds(const board::ClipFormat& format);

// The complete file: RIFF header, 16-byte PCM "fmt ", "data" (with its pad byte when odd),
// then the extra chunks the format lists, each with a small plausible body.
std::vector<uint8_t> BuildWaveFile(int clipId, const board::ClipFormat& format,
                                   std::span<const uint8_t> pcm);

struct PcmLevels {
  double peak = 0;          // of full scale
  double rms = 0;           // of full scale, all channels
  double longestGap = 0;    // seconds: longest run of 50 ms windows under -50 dBFS with sound after it
  double quietEnd = 0;      // seconds: the run of such windows the clip ends with
  double side = 0;          // stereo: RMS of (L - R) / 2 over RMS of (L + R) / 2; 0 for mono
};
PcmLevels MeasurePcm(std::span<const uint8_t> pcm, uint16_t channels, uint32_t rate,
                     uint16_t bitsPerSample);

}  // namespace clipsynth
