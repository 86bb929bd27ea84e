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
constexpr Vec kSun{1.06, 0.585};
constexpr double kSunRadius = 0.075;
constexpr double kWaterLine = 0.705;

const std::array<Colour, 7> kSky = {Hex(0x3F2C6E), Hex(0x5A3F8C), Hex(0x8461AE), Hex(0xB987C6),
                                    Hex(0xE7A9CE), Hex(0xFBC9D3), Hex(0xFFE4DC)};
const Colour kGlow = Hex(0xFFD9CF);
const Colour kMist = Hex(0xF6CFDD);

// A mountain or hill layer: a ridge line and what lies below it down to its foot.
struct Layer {
  double base;       // mean height of the ridge line
  double amplitude;  // how far the peaks rise above it
  double frequency;
  uint32_t seed;
  Colour colour;
  double haze;  // how much the sky's light veils the layer
  double mist;  // how pale the layer grows toward its foot
  double rim;   // light along the crest
};

// Two ranges behind the lake, then the near shores.
const std::array<Layer, 2> kRanges = {{
    {0.655, 0.200, 1.45, 11, Hex(0xB98BCB), 0.45, 0.70, 0.55},
    {0.695, 0.075, 2.60, 23, Hex(0x9A6DBA), 0.25, 0.75, 0.45},
}};

double RangeLine(const Layer& r, double x) {
  // Broad masses sharpened into a few peaks, with a ridged fine detail on top.
  double n = Fbm(x * r.frequency, 0.37 * r.seed, 5, r.seed);
  double mass = SmoothStep(0.30, 0.78, n);
  double fine = 1 - std::fabs(2 * ValueNoise(x * r.frequency * 5, 3.1, r.seed + 7) - 1);
  return r.base - r.amplitude * (mass * (0.85 + 0.15 * fine));
}

// The near shores: a hill rising to the left, a lower one to the right, a meadow between;
double ShoreLine(double x, double aspect) {
  // with a level shoulder where someone sits.
  double left = 0.745 + 0.10 * SmoothStep(0.05, 0.40, x) + 0.26 * SmoothStep(0.44, 0.85, x);
  double right = 0.80 + 0.16 * (1 - SmoothStep(aspect - 0.55, aspect, x));
  double meadow = 0.955;
  double y = std::min(std::min(left, right), meadow);
  // A gentle wave along the grass.
  return y - 0.012 * (Fbm(x * 4.0, 5.5, 4, 91) - 0.5);
}

Colour LayerColour(const Layer& r, Vec p, double ridgeY, double foot) {
  double depth = p.y - ridgeY;
  Colour c = r.colour;
  // Light along the crest, strongest near the sun.
  double dx = std::fabs(p.x - kSun.x);
  c = Screen(c, Hex(0xFFD6E2), r.rim * Exp(-depth / 0.005) / (1 + dx * dx * 5));
  // Mist gathering toward the layer's foot.
  c = Mix(c, kMist, SmoothStep(ridgeY, foot, p.y) * r.mist);
  // The sky's light veiling the far layers, warmest toward the sun.
  double glow = 1.0 / (1.0 + (dx / 0.5) * (dx / 0.5));
  return Mix(c, Mix(kMist, kGlow, glow), r.haze);
}

Colour SkyColour(Vec p) {
  double dSun = Len(p - kSun);
  // The sky brightens toward the sun's side of the horizon.
  Colour c = Gradient(kSky, p.y / 0.66 + 0.10 * Exp(-dSun * 2.2));
  // Broad and tight glows around the sun.
  double broad = 1.0 / (1.0 + (dSun / 0.35) * (dSun / 0.35));
  double tight = 1.0 / (1.0 + (dSun / 0.09) * (dSun / 0.09));
  c = Screen(c, kGlow, 0.45 * broad * broad + 0.55 * tight);
  // Stars, fading out as the sky warms.
  double starFade = 1.0 - SmoothStep(0.04, 0.38, p.y);
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
  // Long clouds drifting across the upper sky, violet on top and lit pink from below.
  double band = SmoothStep(0.08, 0.20, p.y) * (1 - SmoothStep(0.40, 0.52, p.y));
  if (band > 0) {
    Vec q{p.x * 1.1 + 0.3, p.y * 7.5};
    double n = Fbm(q.x, q.y, 6, 71);
    double density = SmoothStep(0.47, 0.70, n) * band;
    if (density > 0) {
      double above = Fbm(q.x, q.y - 0.12, 6, 71);
      double lit = Clamp01(0.35 + (n - above) * 6.0 + 1.2 * (p.y - 0.22));
      double toSun = 1.0 / (1.0 + (dSun / 0.5) * (dSun / 0.5));
      Colour shade = Mix(Hex(0x6C4E99), Hex(0xA57DBE), Clamp01(p.y * 2.4));
      Colour light = Mix(Hex(0xF4AACB), Hex(0xFFE2DE), toSun);
      c = Mix(c, Mix(shade, light, lit), density * 0.85);
    }
  }
  // The sun's disc, warmer toward its lower edge.
  double cover = 1 - SmoothStep(kSunRadius - 0.003, kSunRadius + 0.0015, dSun);
  if (cover > 0) {
    double t = Clamp01((p.y - (kSun.y - kSunRadius)) / (2 * kSunRadius));
    c = Mix(c, Mix(Hex(0xFFF7EF), Hex(0xFFD0D6), t * t), cover * 0.97);
  }
  return c;
}

// Sky and the two ranges, as seen directly or mirrored in the lake. `unit` is the width of
// one pixel, over which the ridge edges are smoothed.
Colour Distance(Vec p, double unit) {
  Colour c = SkyColour(p);
  for (const Layer& r : kRanges) {
    double ridge = RangeLine(r, p.x);
    double cover = Clamp01((p.y - ridge) / unit + 0.5);
    if (cover > 0) c = Mix(c, LayerColour(r, p, ridge, kWaterLine), cover);
  }
  return c;
}

Colour Lake(Vec p, double unit) {
  double below = p.y - kWaterLine;
  // Ripples: the mirrored scene wavers sideways, more toward the viewer.
  double ripple = (ValueNoise(p.x * 9, p.y * 260, 31) - 0.5) * (0.004 + below * 0.05);
  Vec mirrored{p.x + ripple, kWaterLine - below * 1.15};
  Colour c = Distance(mirrored, unit * 2);
  // Water is a little deeper in tone than what it mirrors, and darker toward the viewer.
  c = Mix(c, Hex(0x9A6FC0), 0.18 + 0.6 * below);
  // Glints on the wavelets under the sun, widening toward the viewer.
  double spread = 0.035 + below * 0.55;
  double column = 1.0 / (1.0 + ((p.x - kSun.x) / spread) * ((p.x - kSun.x) / spread));
  double wave = ValueNoise(p.x * 14, p.y * 520, 47);
  double glint = SmoothStep(0.55, 0.85, wave) * column;
  c = Screen(c, Hex(0xFFF1EC), glint * 0.85);
  // A soft pale line where the water meets the far shore.
  c = Screen(c, kMist, 0.5 * Exp(-below / 0.003));
  return c;
}

// The cherry tree on the left hill: a crown of blossom clouds over a slender trunk.
struct Blob {
  Vec centre;
  double radius;
};
const Blob kCrown[] = {
    {{0.215, 0.468}, 0.080}, {{0.300, 0.420}, 0.095}, {{0.392, 0.450}, 0.085},
    {{0.452, 0.515}, 0.055}, {{0.150, 0.535}, 0.052}, {{0.250, 0.530}, 0.072},
    {{0.350, 0.530}, 0.070}, {{0.305, 0.345}, 0.056}, {{0.222, 0.392}, 0.050},
    {{0.388, 0.372}, 0.050}, {{0.120, 0.485}, 0.038}, {{0.470, 0.448}, 0.042},
    {{0.260, 0.318}, 0.034}, {{0.355, 0.318}, 0.036}, {{0.185, 0.575}, 0.036},
    {{0.420, 0.575}, 0.034}, {{0.300, 0.585}, 0.040}, {{0.165, 0.420}, 0.036},
    {{0.440, 0.395}, 0.034},
};
constexpr Vec kTrunkFoot{0.285, 0.85};

double CrownDistance(Vec p) {
  double d = 1e9;
  for (const Blob& b : kCrown) d = std::min(d, Len(p - b.centre) - b.radius);
  // Ragged, blossom-like edges.
  return d + 0.016 * (Fbm(p.x * 30, p.y * 30, 4, 53) - 0.5);
}

double TrunkDistance(Vec p) {
  // The trunk bends a little, thinning upward, and forks into three limbs.
  double d = 1e9;
  auto limb = [&](Vec a, Vec b, double wa, double wb) {
    Vec pa = p - a, ba = b - a;
    double t = Clamp01(Dot(pa, ba) / Dot(ba, ba));
    double dist = Len({pa.x - ba.x * t, pa.y - ba.y * t});
    d = std::min(d, dist - skinart::Mix(wa, wb, t));
  };
  limb(kTrunkFoot, {0.300, 0.640}, 0.014, 0.010);
  limb({0.300, 0.640}, {0.292, 0.540}, 0.010, 0.007);
  limb({0.300, 0.640}, {0.205, 0.520}, 0.007, 0.004);
  limb({0.298, 0.600}, {0.390, 0.500}, 0.007, 0.004);
  limb({0.292, 0.560}, {0.250, 0.470}, 0.005, 0.003);
  return d;
}

Colour Tree(Vec p, Colour behind, double unit) {
  double trunk = TrunkDistance(p);
  double crown = CrownDistance(p);
  Colour c = behind;
  double trunkCover = Clamp01(0.5 - trunk / unit);
  if (trunkCover > 0) {
    // Shaded on the side away from the sun.
    double side = Clamp01((p.x - 0.283 - (0.80 - p.y) * 0.09) / 0.02 + 0.5);
    c = Mix(c, Mix(Hex(0x53346F), Hex(0x9A6CB0), side), trunkCover);
  }
  double crownCover = Clamp01(0.5 - crown / unit);
  if (crownCover > 0) {
    // Each blossom cloud is lit from the sun at the upper right and shaded at its lower
    // left, so the crown reads as clusters.
    // Each cloud's own light, blended over the clouds nearest the surface so that the
    // seams between them stay soft.
    double nearest = 1e9;
    for (const Blob& blob : kCrown) nearest = std::min(nearest, Len(p - blob.centre) - blob.radius);
    double lit = 0, weights = 0;
    for (const Blob& blob : kCrown) {
      double d = Len(p - blob.centre) - blob.radius;
      if (d - nearest > 0.05) continue;
      double w = Exp(-(d - nearest) / 0.008);
      Vec n{(p.x - blob.centre.x) / blob.radius, (p.y - blob.centre.y) / blob.radius};
      lit += w * Clamp01(0.55 + 0.45 * (n.x * 0.6 - n.y * 0.8));
      weights += w;
    }
    lit /= weights;
    // The whole crown is brighter toward the sun and the sky.
    lit = Clamp01(lit * 0.75 + 0.25 * Clamp01(0.5 + (p.x - 0.30) * 2.0 - (p.y - 0.45) * 2.5));
    Colour blossom = Mix(Hex(0xC27AB8), Hex(0xFFCFE2), lit);
    // Texture of single flowers, faint.
    double flowers = Fbm(p.x * 160, p.y * 160, 2, 59);
    blossom = Mix(blossom, Hex(0xFFE9F2), 0.25 * SmoothStep(0.55, 0.8, flowers) * lit);
    blossom = Mix(blossom, Hex(0xB06AA8), 0.20 * SmoothStep(0.55, 0.2, flowers) * (1 - lit));
    c = Mix(c, blossom, crownCover);
  }
  return c;
}

// Someone sitting on the hill beside the tree, knees drawn up, facing the sun.
constexpr double kFigureX = 0.395;

// `slope` tilts the legs down the hill, so that the feet rest on it.
double FigureDistance(Vec p, Vec hip, double slope) {
  auto capsule = [p](Vec a, Vec b, double ra, double rb) {
    Vec pa = p - a, ba = b - a;
    double t = Clamp01(Dot(pa, ba) / Dot(ba, ba));
    return Len({pa.x - ba.x * t, pa.y - ba.y * t}) - skinart::Mix(ra, rb, t);
  };
  auto at = [hip](double dx, double dy) { return Vec{hip.x + dx, hip.y + dy}; };
  Vec shoulder = at(-0.006, -0.034), knee = at(0.020, -0.017 + 0.020 * slope),
      foot = at(0.029, 0.004 + 0.029 * slope);
  Vec head = at(-0.003, -0.048);
  double d = capsule(hip, shoulder, 0.0085, 0.0072);
  d = std::min(d, Len(p - head) - 0.0082);
  d = std::min(d, capsule(at(-0.006, -0.050), at(-0.014, -0.030), 0.0075, 0.0040));  // hair
  d = std::min(d, capsule(hip, knee, 0.0068, 0.0058));
  d = std::min(d, capsule(knee, foot, 0.0055, 0.0042));
  d = std::min(d, capsule(at(-0.003, -0.031), at(0.019, -0.013 + 0.019 * slope), 0.0036, 0.0032));  // arm
  return d;
}

Colour Figure(Vec p, Colour behind, double unit, Vec hip, double slope) {
  if (std::fabs(p.x - hip.x) > 0.06 || std::fabs(p.y - hip.y) > 0.08) return behind;
  double d = FigureDistance(p, hip, slope);
  double cover = Clamp01(0.5 - d / unit);
  if (cover <= 0) return behind;
  Colour c = Hex(0x4A2E6C);
  // Rim light on the side that faces the sun: the edge the shape ends at toward it.
  if (FigureDistance({p.x + 0.0022, p.y + 0.0012}, hip, slope) > 0) c = Screen(c, Hex(0xFFC9DC), 0.55);
  return Mix(behind, c, cover);
}

const Layer kShore{0.0, 0.0, 0.0, 0, Hex(0x7E52A0), 0.06, 0.30, 0.40};

// Soft round lights and petals drifting in front of everything.
void Overlays(FloatPicture& out, double unit) {
  auto blend = [&](int x, int y, Colour c, double a) {
    if (x < 0 || y < 0 || x >= out.width || y >= out.height || a <= 0) return;
    float* o = &out.rgb[(size_t(y) * size_t(out.width) + size_t(x)) * 3];
    Colour base{o[0], o[1], o[2]};
    Colour m = Mix(base, c, Clamp01(a));
    o[0] = float(m.r), o[1] = float(m.g), o[2] = float(m.b);
  };
  const double aspect = out.width * unit;
  // Bokeh: out-of-focus lights, brighter at their rims, gathered round the sun and the tree.
  for (uint32_t i = 0; i < 46; ++i) {
    bool nearSun = i % 2 == 0;
    Vec c = nearSun ? Vec{kSun.x + (Random(i, 1) - 0.5) * 0.9, kSun.y + (Random(i, 2) - 0.6) * 0.45}
                    : Vec{Random(i, 3) * aspect, 0.08 + Random(i, 4) * 0.62};
    double radius = 0.008 + 0.03 * Random(i, 5) * Random(i, 5);
    double alpha = 0.10 + 0.16 * Random(i, 6);
    Colour tint = Mix(Hex(0xFFE4F0), Hex(0xFFC2DA), Random(i, 7));
    int x0 = int((c.x - radius) / unit) - 1, x1 = int((c.x + radius) / unit) + 1;
    int y0 = int((c.y - radius) / unit) - 1, y1 = int((c.y + radius) / unit) + 1;
    for (int y = y0; y <= y1; ++y) {
      for (int x = x0; x <= x1; ++x) {
        double d = Len(Vec{(x + 0.5) * unit, (y + 0.5) * unit} - c) / radius;
        if (d >= 1.04) continue;
        double edge = Clamp01((1.04 - d) / 0.08);
        double rim = 0.75 + 0.25 * SmoothStep(0.6, 0.98, d);
        blend(x, y, tint, alpha * edge * rim);
      }
    }
  }
  // Petals: small pointed ovals turned every way, the larger ones nearer and blurred.
  for (uint32_t i = 0; i < 70; ++i) {
    bool fromTree = i % 3 != 0;
    Vec c = fromTree ? Vec{0.10 + Random(i, 11) * 1.0, 0.30 + Random(i, 12) * 0.62}
                     : Vec{Random(i, 13) * aspect, 0.05 + Random(i, 14) * 0.9};
    double size = 0.004 + 0.008 * Random(i, 15) * Random(i, 15);
    double blur = size > 0.0085 ? 0.35 : 0.08;
    // A random direction without trigonometry: a point in the unit disc, normalised.
    double ax = Random(i, 16) - 0.5, ay = Random(i, 17) - 0.5;
    double al = std::sqrt(ax * ax + ay * ay) + 1e-9;
    ax /= al, ay /= al;
    Colour pink = Mix(Hex(0xF7A8C9), Hex(0xFFE0EC), Random(i, 18));
    double alpha = (blur > 0.2 ? 0.55 : 0.92);
    int r = int(size * 1.6 / unit) + 2;
    int cx = int(c.x / unit), cy = int(c.y / unit);
    for (int y = cy - r; y <= cy + r; ++y) {
      for (int x = cx - r; x <= cx + r; ++x) {
        Vec d = Vec{(x + 0.5) * unit, (y + 0.5) * unit} - c;
        double u = (d.x * ax + d.y * ay) / size;           // along the petal
        double v = (-d.x * ay + d.y * ax) / (size * 0.55);  // across it
        // Narrower toward its tip (u > 0).
        double w = v / (1.0 - 0.35 * Clamp01(u));
        double e = std::sqrt(u * u + w * w) - 1.0;
        double cover = Clamp01(0.5 - e / (blur + unit / size));
        if (cover <= 0) continue;
        Colour shade = Mix(pink, Hex(0xFFF4F8), Clamp01(0.5 - u * 0.5));
        blend(x, y, shade, alpha * cover);
      }
    }
  }
}

// A slight darkening toward the corners, for depth.
Colour Vignette(Vec p, double aspect, Colour c) {
  double dx = (p.x / aspect - 0.5) * 2, dy = (p.y - 0.5) * 2;
  double k = 0.10 * SmoothStep(0.6, 1.9, dx * dx + dy * dy);
  return Mix(c, Hex(0x3A2560), k);
}

}  // namespace

FloatPicture RenderBackground(int width, int height) {
  FloatPicture out;
  out.width = width;
  out.height = height;
  out.rgb.assign(size_t(width) * size_t(height) * 3, 0.0f);
  const double unit = 1.0 / height;  // one pixel, in scene units
  const double aspect = double(width) / height;
  const double figureGround = ShoreLine(kFigureX, aspect);
  const double figureSlope = (ShoreLine(kFigureX + 0.03, aspect) - figureGround) / 0.03;

  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      Vec p{(x + 0.5) * unit, (y + 0.5) * unit};
      Colour c = Distance(p, unit);
      double toWater = Clamp01((p.y - kWaterLine) / unit + 0.5);
      if (toWater > 0) c = Mix(c, Lake(p, unit), toWater);
      c = Tree(p, c, unit);
      double shore = ShoreLine(p.x, aspect);
      double onShore = Clamp01((p.y - shore) / unit + 0.5);
      if (onShore > 0) {
        Colour grass = LayerColour(kShore, p, shore, 1.25);
        // Grass texture: faint vertical strokes.
        grass = Mix(grass, Hex(0x5E3C84), 0.12 * ValueNoise(p.x * 700, p.y * 40, 83));
        c = Mix(c, grass, onShore);
      }
      c = Figure(p, c, unit, {kFigureX, figureGround - 0.004}, figureSlope);
      c = Vignette(p, aspect, c);
      float* o = &out.rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
      o[0] = float(c.r);
      o[1] = float(c.g);
      o[2] = float(c.b);
    }
  }
  Overlays(out, unit);
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
