#include "clip_synth/clip_analysis.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "base/byte_io.h"

namespace clipsynth {
namespace {

constexpr double kPi = 3.14159265358979323846;

double ToDb(double linear) { return linear > 0 ? 20 * std::log10(linear) : -200; }

// About 46 ms at every rate in the catalogue: 512 samples at 11025 Hz, 2048 at 44100 Hz.
size_t FrameSize(int rate) {
  size_t n = 256;
  while (double(n) < 0.75 * 0.046 * rate) n *= 2;
  return n;
}

// Power spectrum (|X|^2 summed over the channels, bins 0..n/2) of the Hann-windowed frame
// centred on `centre`; samples outside the clip count as silence.
class FrameSpectrum {
 public:
  FrameSpectrum(std::span<const float> samples, int channels, size_t n)
      : samples_(samples), channels_(size_t(channels)), n_(n), window_(n), re_(n), im_(n), power_(n / 2 + 1) {
    for (size_t i = 0; i < n; ++i) window_[i] = 0.5 - 0.5 * std::cos(2 * kPi * double(i) / double(n));
  }
  const std::vector<double>& at(long centre) {
    std::fill(power_.begin(), power_.end(), 0.0);
    const long frames = long(samples_.size() / channels_);
    for (size_t c = 0; c < channels_; ++c) {
      for (size_t i = 0; i < n_; ++i) {
        long at = centre - long(n_ / 2) + long(i);
        re_[i] = at >= 0 && at < frames ? samples_[size_t(at) * channels_ + c] * window_[i] : 0.0;
        im_[i] = 0;
      }
      Fft(re_, im_);
      for (size_t k = 0; k <= n_ / 2; ++k) power_[k] += re_[k] * re_[k] + im_[k] * im_[k];
    }
    // A full-scale sine peaks at n/4 in one bin of a Hann-windowed frame.
    const double norm = 16.0 / (double(n_) * double(n_));
    for (double& p : power_) p *= norm;
    return power_;
  }

 private:
  std::span<const float> samples_;
  size_t channels_, n_;
  std::vector<double> window_, re_, im_, power_;
};

}  // namespace

std::vector<float> DecodePcm(std::span<const uint8_t> pcm, int bits) {
  std::vector<float> out;
  if (bits == 16) {
    out.resize(pcm.size() / 2);
    for (size_t i = 0; i < out.size(); ++i) out[i] = float(int16_t(board::LoadU16(&pcm[2 * i])) / 32768.0);
  } else if (bits == 8) {
    out.resize(pcm.size());
    for (size_t i = 0; i < out.size(); ++i) out[i] = float((int(pcm[i]) - 128) / 128.0);
  }
  return out;
}

bool MeasureLoudness(std::span<const float> interleaved, int channels, int rate, Loudness& out,
                     bool truePeak) {
  out = Loudness{};
  if (channels < 1 || rate <= 0 || interleaved.size() < size_t(channels)) return false;
  const int mode = EBUR128_MODE_I | EBUR128_MODE_SAMPLE_PEAK | (truePeak ? EBUR128_MODE_TRUE_PEAK : 0);
  std::unique_ptr<ebur128_state, void (*)(ebur128_state*)> st(
      ebur128_init(unsigned(channels), unsigned(rate), mode),
      [](ebur128_state* s) { ebur128_destroy(&s); });
  if (!st) return false;
  if (channels == 1) ebur128_set_channel(st.get(), 0, EBUR128_DUAL_MONO);
  // libebur128 takes frames in blocks it can buffer; feed a second at a time.
  const size_t frames = interleaved.size() / size_t(channels), step = size_t(rate);
  for (size_t at = 0; at < frames; at += step) {
    size_t n = std::min(step, frames - at);
    if (ebur128_add_frames_float(st.get(), interleaved.data() + at * size_t(channels), n) != EBUR128_SUCCESS)
      return false;
  }
  double lufs = 0;
  if (ebur128_loudness_global(st.get(), &lufs) != EBUR128_SUCCESS) return false;
  out.integratedLufs = std::isfinite(lufs) ? lufs : -1e9;
  double peak = 0, tp = 0;
  for (int c = 0; c < channels; ++c) {
    double p = 0;
    if (ebur128_sample_peak(st.get(), unsigned(c), &p) == EBUR128_SUCCESS) peak = std::max(peak, p);
    if (truePeak && ebur128_true_peak(st.get(), unsigned(c), &p) == EBUR128_SUCCESS) tp = std::max(tp, p);
  }
  out.samplePeakDb = ToDb(peak);
  out.truePeakDb = truePeak ? ToDb(std::max(tp, peak)) : -1e9;
  return true;
}

double EndLevelDb(std::span<const float> interleaved, int channels, int rate, double seconds) {
  if (channels < 1) return -200;
  const size_t frames = interleaved.size() / size_t(channels);
  const size_t n = std::min(frames, size_t(seconds * rate + 0.5));
  if (n == 0) return -200;
  double sum = 0;
  for (size_t i = (frames - n) * size_t(channels); i < frames * size_t(channels); ++i)
    sum += double(interleaved[i]) * interleaved[i];
  return ToDb(std::sqrt(sum / double(n * size_t(channels))));
}

BandSpectrum LongTermBandSpectrum(std::span<const float> interleaved, int channels, int rate) {
  BandSpectrum bands;
  if (channels < 1 || rate <= 0) return bands;
  const double nyquist = rate / 2.0;
  std::vector<std::pair<double, double>> edges;
  for (int k = -16;; ++k) {  // ISO third-octave centres from 25 Hz
    double centre = 1000 * std::pow(2.0, k / 3.0);
    if (centre >= nyquist) break;
    bands.centreHz.push_back(centre);
    edges.push_back({centre * std::pow(2.0, -1 / 6.0), std::min(nyquist, centre * std::pow(2.0, 1 / 6.0))});
  }
  std::vector<double> sums(edges.size(), 0.0);
  const size_t n = FrameSize(rate);
  const long frames = long(interleaved.size() / size_t(channels));
  FrameSpectrum spectrum(interleaved, channels, n);
  const double binHz = double(rate) / double(n);
  long count = 0;
  for (long centre = 0; centre < frames + long(n / 2); centre += long(n / 2), ++count) {
    const std::vector<double>& power = spectrum.at(centre);
    for (size_t b = 0; b < edges.size(); ++b)
      for (size_t k = size_t(std::ceil(edges[b].first / binHz)); k <= n / 2 && double(k) * binHz < edges[b].second; ++k)
        sums[b] += power[k];
  }
  for (double s : sums) bands.levelDb.push_back(s > 0 ? 10 * std::log10(s / double(count)) : -200.0);
  return bands;
}

double HighestBandHz(const BandSpectrum& s, double rangeDb) {
  if (s.levelDb.empty()) return 0;
  const double top = *std::max_element(s.levelDb.begin(), s.levelDb.end());
  for (size_t b = s.levelDb.size(); b-- > 0;)
    if (s.levelDb[b] >= top - rangeDb) return s.centreHz[b];
  return 0;
}

std::vector<float> Spectrogram(std::span<const float> interleaved, int channels, int rate, int columns,
                               int rows) {
  std::vector<float> cells(size_t(columns) * size_t(rows), -200.0f);
  if (channels < 1 || rate <= 0 || columns < 1 || rows < 1) return cells;
  const size_t n = FrameSize(rate);
  const long frames = long(interleaved.size() / size_t(channels));
  FrameSpectrum spectrum(interleaved, channels, n);
  for (int c = 0; c < columns; ++c) {
    const long from = frames * c / columns, to = std::max(from + 1, frames * (c + 1) / columns);
    const long hop = std::max(1L, std::min(long(n / 4), to - from));
    for (long centre = from; centre < to; centre += hop) {
      const std::vector<double>& power = spectrum.at(centre);
      for (size_t k = 0; k <= n / 2; ++k) {
        size_t row = std::min(size_t(rows - 1), k * size_t(rows) / (n / 2 + 1));
        float& cell = cells[row * size_t(columns) + size_t(c)];
        float db = power[k] > 0 ? float(10 * std::log10(power[k])) : -200.0f;
        cell = std::max(cell, db);
      }
    }
  }
  return cells;
}

void Fft(std::vector<double>& re, std::vector<double>& im) {
  const size_t n = re.size();
  for (size_t i = 1, j = 0; i < n; ++i) {
    size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) {
      std::swap(re[i], re[j]);
      std::swap(im[i], im[j]);
    }
  }
  for (size_t len = 2; len <= n; len <<= 1) {
    const double angle = -2 * kPi / double(len);
    const double wr = std::cos(angle), wi = std::sin(angle);
    for (size_t i = 0; i < n; i += len) {
      double cr = 1, ci = 0;
      for (size_t k = 0; k < len / 2; ++k) {
        const size_t a = i + k, b = a + len / 2;
        const double tr = re[b] * cr - im[b] * ci, ti = re[b] * ci + im[b] * cr;
        re[b] = re[a] - tr;
        im[b] = im[a] - ti;
        re[a] += tr;
        im[a] += ti;
        const double next = cr * wr - ci * wi;
        ci = cr * wi + ci * wr;
        cr = next;
      }
    }
  }
}

}  // namespace clipsynth
