// Small geometry and colour helpers shared by the skin's drawings. Only IEEE arithmetic and
// sqrt, so every build draws the same pixels.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace skinart {

struct Vec {
  double x, y;
};
inline Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
inline double Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y; }
inline double Len(Vec a) { return std::sqrt(Dot(a, a)); }

inline double Clamp01(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }
inline double Mix(double a, double b, double t) { return a + (b - a) * t; }
inline double SmoothStep(double e0, double e1, double x) {
  double t = Clamp01((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}

// Distance from p to the segment ab.
inline double Segment(Vec p, Vec a, Vec b) {
  Vec pa = p - a, ba = b - a;
  double t = Clamp01(Dot(pa, ba) / Dot(ba, ba));
  return Len({pa.x - ba.x * t, pa.y - ba.y * t});
}

// Signed distance to an axis-aligned box with rounded corners (negative inside).
inline double RoundBox(Vec p, double x0, double y0, double x1, double y1, double radius) {
  Vec c{(x0 + x1) / 2, (y0 + y1) / 2};
  Vec h{(x1 - x0) / 2 - radius, (y1 - y0) / 2 - radius};
  Vec q{std::fabs(p.x - c.x) - h.x, std::fabs(p.y - c.y) - h.y};
  double outside = Len({std::max(q.x, 0.0), std::max(q.y, 0.0)});
  return outside + std::min(std::max(q.x, q.y), 0.0) - radius;
}

// Signed distance to a simple polygon (negative inside).
template <size_t N>
double Polygon(Vec p, const Vec (&v)[N]) {
  double d = Dot(p - v[0], p - v[0]);
  double s = 1.0;
  for (size_t i = 0, j = N - 1; i < N; j = i, ++i) {
    Vec e = v[j] - v[i], w = p - v[i];
    double t = Clamp01(Dot(w, e) / Dot(e, e));
    Vec b{w.x - e.x * t, w.y - e.y * t};
    d = std::min(d, Dot(b, b));
    bool c1 = p.y >= v[i].y, c2 = p.y < v[j].y, c3 = e.x * w.y > e.y * w.x;
    if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) s = -s;
  }
  return s * std::sqrt(d);
}

// Inside the half-open box [x0, x1) x [y0, y1).
inline bool InBox(Vec p, double x0, double y0, double x1, double y1) {
  return p.x >= x0 && p.x < x1 && p.y >= y0 && p.y < y1;
}

inline uint8_t ToByte(double v) { return uint8_t(std::lround(Clamp01(v) * 255.0)); }

}  // namespace skinart
