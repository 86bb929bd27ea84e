#include "skin_art/background.h"

#include <array>
#include <cmath>

#include "skin_art/shapes.h"

namespace skinart {

namespace {

struct Colour {
  double r, g, b;
};
Colour operator+(Colour a, Colour b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Colour operator*(Colour a, double k) { return {a.r * k, a.g * k, a.b * k}; }
Colour Mix(Colour a, Colour b, double t) { return a + (b + a * -1.0) * t; }
Colour Hex(uint32_t rgb) {
  return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0};
}
// Screen blend: brightens without ever passing white.
Colour Screen(Colour base, Colour light, double amount) {
  auto s = [amount](double b, double l) { return 1 - (1 - b) * (1 - Clamp01(l * amount)); };
  return {s(base.r, light.r), s(base.g, light.g), s(base.b, light.b)};
}

// e^x for x <= 0 from (1 + x/256)^256: plain arithmetic, so every build agrees on it.
double Exp(double x) {
  double v = 1 + (x < -256 ? -256 : x) / 256;
  for (int i = 0; i < 8; ++i) v *= v;
  return v;
}

// Integer hash (lowbias32): a fixed, platform-independent source of randomness.
uint32_t Hash(uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352dU;
  x ^= x >> 15;
  x *= 0x846ca68bU;
  x ^= x >> 16;
  return x;
}
double Random(uint32_t a, uint32_t b = 0, uint32_t c = 0) {
  return Hash(a * 0x9E3779B1U ^ Hash(b * 0x85EBCA77U ^ Hash(c + 0x27D4EB2FU))) / 4294967296.0;
}

double ValueNoise(double x, double y, uint32_t seed) {
  double fx = std::floor(x), fy = std::floor(y);
  auto ix = uint32_t(int32_t(fx)), iy = uint32_t(int32_t(fy));
  double tx = x - fx, ty = y - fy;
  tx = tx * tx * tx * (tx * (tx * 6 - 15) + 10);
  ty = ty * ty * ty * (ty * (ty * 6 - 15) + 10);
  double a = Random(ix, iy, seed), b = Random(ix + 1, iy, seed);
  double c = Random(ix, iy + 1, seed), d = Random(ix + 1, iy + 1, seed);
  return skinart::Mix(skinart::Mix(a, b, tx), skinart::Mix(c, d, tx), ty);
}

// Fractal noise in 0..1; each octave turned so that the lattice does not show.
double Fbm(double x, double y, int octaves, uint32_t seed) {
  double sum = 0, amplitude = 0.5, total = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += amplitude * ValueNoise(x, y, seed + uint32_t(i) * 101U);
    total += amplitude;
    double nx = 0.8 * x - 0.6 * y, ny = 0.6 * x + 0.8 * y;
    x = nx * 2.03 + 17.1;
    y = ny * 2.03 - 9.7;
    amplitude *= 0.5;
  }
  return sum / total;
}

// A smooth curve through evenly spaced colour stops (Catmull-Rom), t in 0..1.
template <size_t N>
Colour Gradient(const std::array<Colour, N>& stops, double t) {
  double f = Clamp01(t) * double(N - 1);
  size_t i = std::min(size_t(f), N - 2);
  double u = f - double(i);
  const Colour& p0 = stops[i == 0 ? 0 : i - 1];
  const Colour& p1 = stops[i];
  const Colour& p2 = stops[i + 1];
  const Colour& p3 = stops[std::min(i + 2, N - 1)];
  auto cr = [u](double a, double b, double c, double d) {
    double u2 = u * u, u3 = u2 * u;
    return 0.5 * (2 * b + (c - a) * u + (2 * a - 5 * b + 4 * c - d) * u2 + (3 * b - a - 3 * c + d) * u3);
  };
  return {cr(p0.r, p1.r, p2.r, p3.r), cr(p0.g, p1.g, p2.g, p3.g), cr(p0.b, p1.b, p2.b, p3.b)};
}

// The scene, in units of the picture's height: x runs 0..aspect, y 0..1 downwards.
constexpr Vec kSun{1.06, 0.575};
constexpr double kSunRadius = 0.082;

const std::array<Colour, 7> kSky = {Hex(0x3F2C6E), Hex(0x5A3F8C), Hex(0x8461AE), Hex(0xB987C6),
                                    Hex(0xE7A9CE), Hex(0xFBC9D3), Hex(0xFFE4DC)};
const Colour kGlow = Hex(0xFFD9CF);
const Colour kMist = Hex(0xF6CFDD);

struct Ridge {
  double base;       // mean height of the ridge line
  double amplitude;  // how far the peaks rise above it
  double frequency;
  uint32_t seed;
  Colour colour;
  double haze;  // how much the sky's light veils the layer
  double mist;  // how pale the layer grows toward its foot
};
const std::array<Ridge, 4> kRidges = {{
    {0.625, 0.085, 2.2, 11, Hex(0xC99AD0), 0.55, 0.55},
    {0.700, 0.080, 1.7, 23, Hex(0xA578C0), 0.30, 0.60},
    {0.790, 0.075, 1.35, 37, Hex(0x8558AA), 0.14, 0.55},
    {0.900, 0.055, 1.05, 41, Hex(0x6C4596), 0.04, 0.35},
}};

double RidgeLine(const Ridge& r, double x) {
  // Sharpened noise: rounded foothills under a few taller peaks.
  double n = Fbm(x * r.frequency, 0.37 * r.seed, 6, r.seed);
  double peaks = n * n * 1.6;
  return r.base - r.amplitude * peaks;
}

Colour Sky(Vec p, double aspect) {
  double dSun = Len(p - kSun);
  // The sky brightens toward the sun's side of the horizon.
  double lift = 0.10 * Exp(-dSun * 2.2);
  Colour c = Gradient(kSky, p.y / 0.64 + lift);
  // Broad and tight glows around the sun.
  double broad = 1.0 / (1.0 + (dSun / 0.35) * (dSun / 0.35));
  double tight = 1.0 / (1.0 + (dSun / 0.09) * (dSun / 0.09));
  c = Screen(c, kGlow, 0.45 * broad * broad + 0.55 * tight);
  // Stars, fading out as the sky warms.
  double starFade = 1.0 - SmoothStep(0.05, 0.40, p.y);
  if (starFade > 0) {
    const double cell = 0.028;
    int cx = int(std::floor(p.x / cell)), cy = int(std::floor(p.y / cell));
    for (int j = -1; j <= 1; ++j) {
      for (int i = -1; i <= 1; ++i) {
        uint32_t a = uint32_t(cx + i), b = uint32_t(cy + j);
        if (Random(a, b, 5) > 0.42) continue;
        Vec s{(cx + i + Random(a, b, 6)) * cell, (cy + j + Random(a, b, 7)) * cell};
        double bright = Random(a, b, 8);
        bright = 0.25 + 0.75 * bright * bright * bright;
        double radius = 0.0009 + 0.0016 * bright;
        double d = Len(p - s);
        if (d < radius * 4) {
          double core = Clamp01(1 - d / radius);
          double halo = Clamp01(1 - d / (radius * 4));
          c = Screen(c, Hex(0xFFF0FA), starFade * bright * (core * core + 0.25 * halo * halo));
        }
      }
    }
  }
  // Long clouds drifting across the upper-middle sky, lit pink from below.
  double band = SmoothStep(0.10, 0.24, p.y) * (1 - SmoothStep(0.44, 0.56, p.y));
  if (band > 0) {
    Vec q{p.x * 1.25 + 0.3, p.y * 6.0};
    double n = Fbm(q.x, q.y, 6, 71);
    double above = Fbm(q.x, q.y - 0.09, 6, 71);
    double density = SmoothStep(0.50, 0.74, n) * band;
    if (density > 0) {
      double lit = Clamp01(0.45 + (n - above) * 5.0 + 0.9 * (p.y - 0.25));
      double toSun = 1.0 / (1.0 + (dSun / 0.45) * (dSun / 0.45));
      Colour shade = Mix(Hex(0x7F5FA8), Hex(0xB58BC8), Clamp01(p.y * 2.2));
      Colour light = Mix(Hex(0xF7B8D2), Hex(0xFFE6E4), toSun);
      c = Mix(c, Mix(shade, light, lit), density * 0.78);
    }
  }
  (void)aspect;
  return c;
}

// The sun's disc, a little softer at its rim.
Colour Sun(Vec p, Colour behind) {
  double d = Len(p - kSun);
  double cover = 1 - SmoothStep(kSunRadius - 0.004, kSunRadius + 0.0015, d);
  if (cover <= 0) return behind;
  // Warmer toward its lower edge, like a setting sun.
  double t = Clamp01((p.y - (kSun.y - kSunRadius)) / (2 * kSunRadius));
  Colour disc = Mix(Hex(0xFFF6EE), Hex(0xFFD3D6), t * t);
  return Mix(behind, disc, cover * 0.96);
}

Colour Mountain(const Ridge& r, size_t layer, Vec p, double ridgeY) {
  double depth = p.y - ridgeY;
  Colour c = r.colour;
  // Rim light along the crest, strongest near the sun.
  double dx = std::fabs(p.x - kSun.x);
  double rim = Exp(-depth / 0.006) * (0.55 / (1 + dx * dx * 6)) * (1.0 - 0.18 * double(layer));
  c = Screen(c, Hex(0xFFD6E2), rim);
  // Mist gathering toward the layer's foot, pale pink.
  double mist = SmoothStep(0.0, 0.16, depth) * r.mist;
  c = Mix(c, kMist, mist);
  // The sky's light veiling the far layers, warmest toward the sun.
  double glow = 1.0 / (1.0 + (dx / 0.5) * (dx / 0.5));
  c = Mix(c, Mix(kMist, kGlow, glow), r.haze);
  return c;
}

}  // namespace

FloatPicture RenderBackground(int width, int height) {
  FloatPicture out;
  out.width = width;
  out.height = height;
  out.rgb.assign(size_t(width) * size_t(height) * 3, 0.0f);
  const double unit = 1.0 / height;  // one pixel, in scene units
  const double aspect = double(width) / height;

  // Ridge heights at four points across each pixel column, for smooth slanted edges.
  constexpr int kSub = 4;
  std::vector<std::array<double, kSub>> ridges[kRidges.size()];
  for (size_t l = 0; l < kRidges.size(); ++l) {
    ridges[l].resize(size_t(width));
    for (int x = 0; x < width; ++x)
      for (int s = 0; s < kSub; ++s)
        ridges[l][size_t(x)][size_t(s)] = RidgeLine(kRidges[l], (x + (s + 0.5) / kSub) * unit);
  }

  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      Vec p{(x + 0.5) * unit, (y + 0.5) * unit};
      Colour c = Sun(p, Sky(p, aspect));
      for (size_t l = 0; l < kRidges.size(); ++l) {
        double cover = 0, mean = 0;
        for (double ridgeY : ridges[l][size_t(x)]) {
          cover += Clamp01((p.y - ridgeY) / unit + 0.5);
          mean += ridgeY;
        }
        cover /= kSub;
        if (cover <= 0) continue;
        c = Mix(c, Mountain(kRidges[l], l, p, mean / kSub), cover);
      }
      float* o = &out.rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
      o[0] = float(c.r);
      o[1] = float(c.g);
      o[2] = float(c.b);
    }
  }
  return out;
}

std::vector<uint8_t> QuantizeDithered(const FloatPicture& picture) {
  // 4 x 4 Bayer matrix, centred on zero.
  static const int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  std::vector<uint8_t> out(picture.rgb.size());
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      double d = (kBayer[y & 3][x & 3] + 0.5) / 16.0 - 0.5;
      size_t i = (size_t(y) * size_t(picture.width) + size_t(x)) * 3;
      for (int k = 0; k < 3; ++k) {
        double v = std::floor(Clamp01(picture.rgb[i + k]) * 255.0 + 0.5 + d);
        out[i + k] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
      }
    }
  }
  return out;
}

std::vector<uint8_t> Shrink(const FloatPicture& picture, int factor) {
  int w = picture.width / factor, h = picture.height / factor;
  std::vector<uint8_t> out(size_t(w) * size_t(h) * 3);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      for (int k = 0; k < 3; ++k) {
        double sum = 0;
        for (int j = 0; j < factor; ++j)
          for (int i = 0; i < factor; ++i)
            sum += picture.rgb[((size_t(y) * factor + j) * size_t(picture.width) + size_t(x) * factor + i) * 3 + k];
        out[(size_t(y) * size_t(w) + size_t(x)) * 3 + k] = ToByte(sum / (factor * factor));
      }
    }
  }
  return out;
}

}  // namespace skinart
