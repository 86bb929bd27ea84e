#include "clip_synth/stereo.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace clipsynth {

void Stereo::mix(std::span<const float> mono, double at, double gain, double pan) {
  const PanGains g = Pan(pan);
  const float gl = float(gain * g.left), gr = float(gain * g.right);
  size_t start = frameAt(at);
  if (start >= frames()) return;
  size_t n = std::min(mono.size(), frames() - start);
  for (size_t i = 0; i < n; ++i) {
    left[start + i] += gl * mono[i];
    right[start + i] += gr * mono[i];
  }
}

void Stereo::mix(const Stereo& other, double at, double gain) {
  size_t start = frameAt(at);
  if (start >= frames()) return;
  size_t n = std::min(other.frames(), frames() - start);
  for (size_t i = 0; i < n; ++i) {
    left[start + i] += float(gain * other.left[i]);
    right[start + i] += float(gain * other.right[i]);
  }
}

void Stereo::scale(double gain) {
  for (float& v : left) v = float(v * gain);
  for (float& v : right) v = float(v * gain);
}

void Stereo::foldToMono() {
  for (size_t i = 0; i < frames(); ++i) left[i] = right[i] = 0.5f * (left[i] + right[i]);
}

namespace {

class Comb {
 public:
  explicit Comb(size_t length) : buffer_(std::max<size_t>(length, 1), 0.0f) {}
  double tick(double x, double feedback, double damp) {
    double y = buffer_[pos_];
    store_ = y * (1 - damp) + store_ * damp;
    buffer_[pos_] = float(x + store_ * feedback);
    if (++pos_ == buffer_.size()) pos_ = 0;
    return y;
  }

 private:
  std::vector<float> buffer_;
  size_t pos_ = 0;
  double store_ = 0;
};

class Allpass {
 public:
  explicit Allpass(size_t length) : buffer_(std::max<size_t>(length, 1), 0.0f) {}
  double tick(double x) {
    double y = buffer_[pos_];
    buffer_[pos_] = float(x + y * 0.5);
    if (++pos_ == buffer_.size()) pos_ = 0;
    return y - x;
  }

 private:
  std::vector<float> buffer_;
  size_t pos_ = 0;
};

// Delay lengths tuned at 44.1 kHz, mutually prime so the echoes do not pile up.
constexpr std::array<int, 8> kCombLengths{1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
constexpr std::array<int, 4> kAllpassLengths{556, 441, 341, 225};
constexpr int kStereoSpread = 23;

struct ReverbChannel {
  ReverbChannel(int rate, int spread) {
    double scale = rate / 44100.0;
    for (int n : kCombLengths) combs.emplace_back(size_t((n + spread) * scale));
    for (int n : kAllpassLengths) allpasses.emplace_back(size_t((n + spread) * scale));
  }
  double tick(double x, double feedback, double damp) {
    double sum = 0;
    for (Comb& c : combs) sum += c.tick(x, feedback, damp);
    for (Allpass& a : allpasses) sum = a.tick(sum);
    return sum;
  }
  std::vector<Comb> combs;
  std::vector<Allpass> allpasses;
};

}  // namespace

void ApplyReverb(Stereo& buf, const ReverbSettings& s) {
  ReverbChannel l(buf.rate, 0), r(buf.rate, kStereoSpread);
  double feedback = 0.7 + 0.28 * Clamp(s.room, 0, 1), damp = 0.4 * Clamp(s.damping, 0, 1);
  double wet1 = s.wet * (s.width / 2 + 0.5), wet2 = s.wet * (1 - s.width) / 2;
  size_t pre = Samples(s.preDelay, buf.rate);
  DelayLine preDelay(pre + 1);
  // The decay continues past the input, but the mix has a fixed length: a recipe lets the
  // room die away (FadeOut) before the clip ends.
  for (size_t i = 0; i < buf.frames(); ++i) {
    double inL = buf.left[i], inR = buf.right[i];
    double in = (inL + inR) * 0.015;
    preDelay.push(in);
    double delayed = pre ? preDelay.tap(double(pre)) : in;
    double outL = l.tick(delayed, feedback, damp), outR = r.tick(delayed, feedback, damp);
    buf.left[i] = float(inL * s.dry + outL * wet1 + outR * wet2);
    buf.right[i] = float(inR * s.dry + outR * wet1 + outL * wet2);
  }
}

void ApplyEcho(Stereo& buf, const EchoSettings& s) {
  size_t d = std::max<size_t>(1, Samples(s.delay, buf.rate));
  DelayLine dl(d + 2), dr(d + 2);
  OnePole tl(s.toneHz, buf.rate), tr(s.toneHz, buf.rate);
  for (size_t i = 0; i < buf.frames(); ++i) {
    double el = dl.tap(double(d)), er = dr.tap(double(d));
    double inL = buf.left[i], inR = buf.right[i];
    if (s.pingPong) {
      dl.push(tl.low((inL + inR) * 0.5 + er * s.feedback));
      dr.push(tr.low(el * s.feedback));
    } else {
      dl.push(tl.low(inL + el * s.feedback));
      dr.push(tr.low(inR + er * s.feedback));
    }
    buf.left[i] = float(inL + el * s.wet);
    buf.right[i] = float(inR + er * s.wet);
  }
}

void FadeOut(Stereo& buf, double seconds) {
  const size_t n = std::min(buf.frames(), Samples(seconds, buf.rate));
  for (size_t j = 0; j < n; ++j) {
    const double u = double(j + 1) / double(n), g = (1 - u) * (1 - u) * (1 - u);
    const size_t i = buf.frames() - n + j;
    buf.left[i] = float(buf.left[i] * g);
    buf.right[i] = float(buf.right[i] * g);
  }
}

}  // namespace clipsynth
