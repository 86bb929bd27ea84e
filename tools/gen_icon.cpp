// gen_icon ICON_OUT: draws the program's icon and writes it as an ICO file of five images,
// 128, 64, 48, 32 and 16 pixels square, each a 32-bit uncompressed DIB with its AND mask.
//
// The picture: a rounded square with a cyan-teal gradient around the theme colour
// (RGB 0x22, 0xCA, 0xDD), a soft gloss on its upper half, a thin darker rim and a soft
// shadow below it; on it a white loudspeaker with sound waves, itself casting a faint shadow.
// Everything is drawn from distance functions and supersampled; only IEEE arithmetic and
// sqrt are used, so the output is the same on every build.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

#include "app/main_form_layout.h"

namespace {

struct Vec {
  double x, y;
};
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
double Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y; }
double Len(Vec a) { return std::sqrt(Dot(a, a)); }

// Premultiplied colour, components 0..1.
struct Rgba {
  double r = 0, g = 0, b = 0, a = 0;
};
Rgba Colour(double r, double g, double b, double a) { return {r * a, g * a, b * a, a}; }
void Over(Rgba& dst, const Rgba& src) {
  double k = 1.0 - src.a;
  dst.r = src.r + dst.r * k;
  dst.g = src.g + dst.g * k;
  dst.b = src.b + dst.b * k;
  dst.a = src.a + dst.a * k;
}
double Mix(double a, double b, double t) { return a + (b - a) * t; }
double Clamp01(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }
double SmoothStep(double e0, double e1, double x) {
  double t = Clamp01((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}

// Signed distance to a rounded box given by its corners and corner radius.
double RoundBox(Vec p, double x0, double y0, double x1, double y1, double radius) {
  Vec c{(x0 + x1) / 2, (y0 + y1) / 2};
  Vec h{(x1 - x0) / 2 - radius, (y1 - y0) / 2 - radius};
  Vec q{std::fabs(p.x - c.x) - h.x, std::fabs(p.y - c.y) - h.y};
  double outside = Len({std::max(q.x, 0.0), std::max(q.y, 0.0)});
  return outside + std::min(std::max(q.x, q.y), 0.0) - radius;
}

// Signed distance to a convex or simple polygon (negative inside).
double Polygon(Vec p, const std::vector<Vec>& v) {
  double d = Dot(p - v[0], p - v[0]);
  double s = 1.0;
  for (size_t i = 0, j = v.size() - 1; i < v.size(); j = i, ++i) {
    Vec e = v[j] - v[i], w = p - v[i];
    double t = Clamp01(Dot(w, e) / Dot(e, e));
    Vec b{w.x - e.x * t, w.y - e.y * t};
    d = std::min(d, Dot(b, b));
    bool c1 = p.y >= v[i].y, c2 = p.y < v[j].y, c3 = e.x * w.y > e.y * w.x;
    if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) s = -s;
  }
  return s * std::sqrt(d);
}

// Signed distance to an arc of radius r around c, opening to the right over ±45 degrees,
// stroked with the given width and round caps.
double Arc(Vec p, Vec c, double r, double width) {
  Vec q = p - c;
  double qy = std::fabs(q.y);
  if (q.x > 0 && qy <= q.x) return std::fabs(Len(q) - r) - width / 2;
  const double k = std::sqrt(0.5);
  return Len(Vec{q.x - r * k, qy - r * k}) - width / 2;
}

// Per-size drawing parameters, in units of the icon's side (0..1, y downwards).
struct Style {
  double margin;      // body inset from the image edge
  double bottom;      // body's lower edge (leaves room for the shadow)
  double radius;      // body corner radius
  double shadowDrop;  // shadow offset downwards
  double shadowSoft;  // shadow blur
  double glyphScale;  // loudspeaker size around the centre
  int waves;          // number of sound waves
  double waveWidth;   // stroke width of the waves
  double rim;         // width of the darker rim
  int samples;        // supersampling per axis
};

Style StyleFor(int size) {
  switch (size) {
    case 16: return {0.0, 1.0, 0.25, 0.0, 0.0, 1.12, 2, 0.105, 1.0 / 16, 16};
    case 32: return {0.02, 0.95, 0.20, 0.02, 0.03, 1.05, 3, 0.070, 1.0 / 32, 16};
    case 48: return {0.03, 0.94, 0.20, 0.025, 0.035, 1.0, 3, 0.062, 1.0 / 48, 12};
    default: return {0.04, 0.93, 0.20, 0.03, 0.04, 1.0, 3, 0.055, 1.2 / size, 8};
  }
}

// The loudspeaker and its waves: distance to the union (negative inside).
double Glyph(Vec p, const Style& s) {
  // Scale about the body's centre.
  Vec centre{0.5, (s.margin + s.bottom) / 2};
  Vec q{centre.x + (p.x - centre.x) / s.glyphScale, centre.y + (p.y - centre.y) / s.glyphScale};
  double scale = s.glyphScale;
  double dy = centre.y - 0.5;
  double round = 0.018;
  double magnet = RoundBox(q, 0.19, 0.395 + dy, 0.33 + round, 0.605 + dy, 0.03);
  std::vector<Vec> cone = {{0.31, 0.395 + dy + round},
                           {0.49 - round, 0.235 + dy + round * 1.6},
                           {0.49 - round, 0.765 + dy - round * 1.6},
                           {0.31, 0.605 + dy - round}};
  double d = std::min(magnet, Polygon(q, cone) - round);
  Vec mouth{0.47, 0.5 + dy};
  double firstRadius = s.waves == 2 ? 0.15 : 0.13;
  double step = s.waves == 2 ? 0.14 : 0.105;
  for (int i = 0; i < s.waves; ++i)
    d = std::min(d, Arc(q, mouth, firstRadius + step * i, s.waveWidth / scale));
  return d * scale;
}

// Colour of one sample point of an icon of the given style.
Rgba Sample(Vec p, const Style& s, double pixel) {
  Rgba out;
  const double x0 = s.margin, y0 = s.margin, x1 = 1 - s.margin, y1 = s.bottom;
  // Soft shadow of the body.
  if (s.shadowSoft > 0) {
    double d = RoundBox({p.x, p.y - s.shadowDrop}, x0, y0, x1, y1, s.radius);
    double a = 0.42 * (1 - SmoothStep(-s.shadowSoft, s.shadowSoft, d));
    Over(out, Colour(0.02, 0.16, 0.22, a));
  }
  double body = RoundBox(p, x0, y0, x1, y1, s.radius);
  if (body > 0) return out;
  // Gradient: light cyan at the upper left to deep teal at the lower right, passing the
  // theme colour (0x22, 0xCA, 0xDD) in the middle.
  double t = Clamp01(((p.x - x0) * 0.35 + (p.y - y0) * 0.65) / ((x1 - x0) * 0.35 + (y1 - y0) * 0.65));
  const double top[3] = {0x5C / 255.0, 0xE4 / 255.0, 0xF0 / 255.0};
  const double mid[3] = {0x22 / 255.0, 0xCA / 255.0, 0xDD / 255.0};
  const double low[3] = {0x0A / 255.0, 0x84 / 255.0, 0xA6 / 255.0};
  double c[3];
  for (int i = 0; i < 3; ++i)
    c[i] = t < 0.5 ? Mix(top[i], mid[i], t * 2) : Mix(mid[i], low[i], (t - 0.5) * 2);
  Rgba px = Colour(c[0], c[1], c[2], 1.0);
  // Gloss over the upper part: a large ellipse, fading downwards.
  {
    double ex = (p.x - 0.5) / 0.62, ey = (p.y - (y0 - 0.18)) / 0.62;
    if (ex * ex + ey * ey < 1.0) {
      double a = 0.22 * (1 - SmoothStep(y0, 0.55, p.y));
      Over(px, Colour(1, 1, 1, a));
    }
  }
  // Rim: a thin darker line just inside the edge, lighter along the top.
  if (body > -s.rim) {
    double a = p.y < 0.5 ? Mix(0.22, 0.32, p.y * 2) : 0.32 + 0.1 * (p.y - 0.5) * 2;
    Over(px, Colour(0.0, 0.30, 0.40, a));
  } else if (body > -2 * s.rim && p.y < 0.35) {
    Over(px, Colour(1, 1, 1, 0.18));
  }
  // The loudspeaker's soft shadow, then the loudspeaker itself.
  double drop = std::max(pixel, 0.018);
  double shadow = Glyph({p.x - drop * 0.6, p.y - drop}, s);
  Over(px, Colour(0.0, 0.25, 0.35, 0.30 * (1 - SmoothStep(-drop, drop, shadow))));
  if (Glyph(p, s) <= 0) Over(px, Colour(1, 1, 1, 1));
  Over(out, px);
  return out;
}

// BGRA rows top-down, straight (non-premultiplied) alpha.
std::vector<uint8_t> Render(int size) {
  Style s = StyleFor(size);
  std::vector<uint8_t> bgra(size_t(size) * size * 4);
  const int n = s.samples;
  const double pixel = 1.0 / size;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      Rgba sum;
      for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
          Vec p{(x + (i + 0.5) / n) * pixel, (y + (j + 0.5) / n) * pixel};
          Rgba c = Sample(p, s, pixel);
          sum.r += c.r;
          sum.g += c.g;
          sum.b += c.b;
          sum.a += c.a;
        }
      }
      double k = 1.0 / (n * n);
      double a = sum.a * k;
      uint8_t* o = &bgra[(size_t(y) * size + x) * 4];
      uint8_t alpha = uint8_t(std::lround(Clamp01(a) * 255));
      if (alpha == 0) {
        o[0] = o[1] = o[2] = o[3] = 0;
        continue;
      }
      auto channel = [&](double premul) {
        return uint8_t(std::lround(Clamp01(premul * k / a) * 255));
      };
      o[0] = channel(sum.b);
      o[1] = channel(sum.g);
      o[2] = channel(sum.r);
      o[3] = alpha;
    }
  }
  return bgra;
}

void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

// One image as stored in an ICO file: BITMAPINFOHEADER, BGRA rows bottom-up, AND mask.
std::vector<uint8_t> DibImage(int size) {
  std::vector<uint8_t> bgra = Render(size);
  const size_t maskStride = size_t((size + 31) / 32) * 4;
  const size_t colourBytes = size_t(size) * size * 4, maskBytes = maskStride * size;
  std::vector<uint8_t> out;
  Put32(out, 40);                // biSize
  Put32(out, uint32_t(size));    // biWidth
  Put32(out, uint32_t(size * 2));  // biHeight: colour rows and mask rows
  Put16(out, 1);                 // biPlanes
  Put16(out, 32);                // biBitCount
  Put32(out, 0);                 // biCompression: BI_RGB
  Put32(out, uint32_t(colourBytes + maskBytes));  // biSizeImage
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  for (int y = size - 1; y >= 0; --y)
    out.insert(out.end(), bgra.begin() + ptrdiff_t(size_t(y) * size * 4),
               bgra.begin() + ptrdiff_t(size_t(y + 1) * size * 4));
  for (int y = size - 1; y >= 0; --y) {
    std::vector<uint8_t> row(maskStride, 0);
    for (int x = 0; x < size; ++x)
      if (bgra[(size_t(y) * size + x) * 4 + 3] == 0) row[x / 8] |= uint8_t(0x80 >> (x % 8));
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gen_icon ICON_OUT\n");
    return 1;
  }
  const int sizes[] = {128, 64, 48, 32, 16};
  std::vector<std::vector<uint8_t>> images;
  for (int size : sizes) images.push_back(DibImage(size));
  std::vector<uint8_t> ico;
  Put16(ico, 0);  // reserved
  Put16(ico, 1);  // type: icon
  Put16(ico, uint16_t(images.size()));
  uint32_t offset = uint32_t(6 + 16 * images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    ico.push_back(uint8_t(sizes[i]));  // width (0 would mean 256)
    ico.push_back(uint8_t(sizes[i]));  // height
    ico.push_back(0);                  // colour count
    ico.push_back(0);                  // reserved
    Put16(ico, 1);                     // planes
    Put16(ico, 32);                    // bits per pixel
    Put32(ico, uint32_t(images[i].size()));
    Put32(ico, offset);
    offset += uint32_t(images[i].size());
  }
  for (const auto& image : images) ico.insert(ico.end(), image.begin(), image.end());
  if (ico.size() != board::kAppIconFileSize) {
    std::fprintf(stderr, "gen_icon: icon is %zu bytes, expected %zu\n", ico.size(), board::kAppIconFileSize);
    return 1;
  }
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(ico.data()), std::streamsize(ico.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "gen_icon: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
