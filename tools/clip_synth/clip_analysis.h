// Measuring a clip as a listener meets it: loudness and true peak by ITU-R BS.1770 (through
// libebur128, the EBU R128 reference implementation), the level of its last moments, its
// spectrum. The level stage, the clip report and the tests all measure with these.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

namespace clipsynth {

// PCM as stored (8-bit unsigned around 128 or 16-bit signed little-endian, interleaved) to
// interleaved floats of full scale 1.
std::vector<float> DecodePcm(std::span<const uint8_t> pcm, int bitsPerSample);

struct Loudness {
  double integratedLufs = -1e9;  // gated integrated loudness; -1e9 when nothing passes the gate
  double truePeakDb = -1e9;      // dBTP: 4x oversampled peak of all channels
  double samplePeakDb = -1e9;    // dBFS
};
// Integrated loudness and peaks of interleaved samples. A mono clip is measured as dual
// mono: the player sends it to both speakers, so it sounds as loud as a stereo clip whose
// two channels both carry it. `truePeak` false skips the (slower) oversampled peak.
bool MeasureLoudness(std::span<const float> interleaved, int channels, int rate, Loudness& out,
                     bool truePeak = true);

// RMS level (dBFS, all channels) of the last `seconds` of the clip; -200 for digital silence.
double EndLevelDb(std::span<const float> interleaved, int channels, int rate, double seconds = 0.05);

// Long-term average power of each third-octave band (ISO centres from 25 Hz up to below the
// Nyquist limit) over Hann-windowed frames of about 46 ms, in dB.
struct BandSpectrum {
  std::vector<double> centreHz;
  std::vector<double> levelDb;
};
BandSpectrum LongTermBandSpectrum(std::span<const float> interleaved, int channels, int rate);
// Centre of the highest band that comes within `rangeDb` of the strongest band.
double HighestBandHz(const BandSpectrum& spectrum, double rangeDb = 30);

// Magnitude spectrogram (dB, full-scale sine = 0) of the channel mix: `columns` time slices
// over the clip, `rows` linear frequency bins from 0 to the Nyquist limit, row 0 lowest.
// Each cell is the loudest frame falling into its slice.
std::vector<float> Spectrogram(std::span<const float> interleaved, int channels, int rate,
                               int columns, int rows);

// In-place radix-2 FFT of `re` + i `im` (length a power of two).
void Fft(std::vector<double>& re, std::vector<double>& im);

}  // namespace clipsynth
