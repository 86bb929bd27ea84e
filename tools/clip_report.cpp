// clip_report CLIPS_BIN [--sheet OUT.png] [--font FONT_FILE]
// Reads the built catalogue and prints, for every clip, its caption, format, duration,
// integrated loudness, true peak, level of the last 50 ms and the highest third-octave band
// holding energy (the long-term spectrum within 30 dB of its strongest band), its crest
// factor, lead-in before the sound, channel balance, falls into digital silence (count, and
// the steepest in dB), the share of energy below 20 Hz, and for shots the level 20-50 ms after each peak; then a summary.
// With --sheet it also draws a spectrogram of every clip on one PNG.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/clip_catalogue.h"
#include "app/main_form_layout.h"
#include "audio/wave_chunks.h"
#include "clip_synth/clip_analysis.h"
#include "clip_synth/clip_shape.h"
#include "clip_synth/recipes.h"
#include "base/value_types.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb/stb_image_write.h>
#include <stb/stb_truetype.h>

namespace {

using namespace clipsynth;

// Loudness window and limits the clips are held to (tests/native/test_clip_sound.cpp).
constexpr double kTargetLufs = -16, kToleranceLu = 1, kMaxTruePeakDb = -1, kQuietEndDb = 30;
// An impulsive clip, levelled by its peak, may sit under the target when its true peak is
// within this much of the limit.
constexpr double kPeakLevelledDb = 1.6;

struct ClipFigures {
  int id = 0;
  std::string caption, format;
  int channels = 0, rate = 0;
  double seconds = 0;
  Loudness loudness;
  double endDb = -200, topBandHz = 0, afterShotsDb = 0;
  ClipShape shape;
  std::vector<float> samples;
};

std::string CaptionOf(int clipId) {
  for (const board::LayoutControl& c : board::kMainFormControls)
    if (c.action == board::Action::PlayClip && c.actionArg == clipId && c.text) return c.text;
  return "?";
}

std::vector<char32_t> Utf8ToCodepoints(const std::string& s) {
  std::vector<char32_t> out;
  for (size_t i = 0; i < s.size();) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
    char32_t cp = extra == 0 ? b : b & (0x3F >> extra);
    for (int k = 1; k <= extra && i + size_t(k) < s.size(); ++k) cp = (cp << 6) | (s[i + size_t(k)] & 0x3F);
    out.push_back(cp);
    i += size_t(extra) + 1;
  }
  return out;
}

// Terminal columns: CJK characters take two.
int DisplayWidth(const std::string& s) {
  int w = 0;
  for (char32_t cp : Utf8ToCodepoints(s)) w += cp >= 0x1100 ? 2 : 1;
  return w;
}

std::string Padded(const std::string& s, int width) {
  return s + std::string(size_t(std::max(0, width - DisplayWidth(s))), ' ');
}

std::string Hz(double hz) {
  char b[32];
  std::snprintf(b, sizeof b, hz >= 1000 ? "%.1fk" : "%.0f", hz >= 1000 ? hz / 1000 : hz);
  return b;
}

class Sheet {
 public:
  Sheet(int width, int height) : width_(width), height_(height), rgb_(size_t(width) * size_t(height) * 3, 0) {
    fill(0, 0, width, height, 18, 18, 24);
  }
  bool loadFont(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    font_.assign(std::istreambuf_iterator<char>(in), {});
    if (font_.empty()) return false;
    int offset = stbtt_GetFontOffsetForIndex(font_.data(), 0);
    return offset >= 0 && stbtt_InitFont(&info_, font_.data(), offset);
  }
  void fill(int x0, int y0, int w, int h, int r, int g, int b) {
    for (int y = std::max(0, y0); y < std::min(height_, y0 + h); ++y)
      for (int x = std::max(0, x0); x < std::min(width_, x0 + w); ++x) put(x, y, r, g, b);
  }
  void put(int x, int y, int r, int g, int b) {
    uint8_t* p = &rgb_[(size_t(y) * size_t(width_) + size_t(x)) * 3];
    p[0] = uint8_t(r), p[1] = uint8_t(g), p[2] = uint8_t(b);
  }
  // Draws UTF-8 text with its baseline at y; nothing when no font was loaded.
  void text(int x, int y, const std::string& s, int pixels, int r, int g, int b) {
    if (font_.empty()) return;
    const float scale = stbtt_ScaleForPixelHeight(&info_, float(pixels));
    for (char32_t cp : Utf8ToCodepoints(s)) {
      int advance = 0, bearing = 0, x0, y0, x1, y1;
      stbtt_GetCodepointHMetrics(&info_, int(cp), &advance, &bearing);
      stbtt_GetCodepointBitmapBox(&info_, int(cp), scale, scale, &x0, &y0, &x1, &y1);
      const int w = x1 - x0, h = y1 - y0;
      if (w > 0 && h > 0) {
        std::vector<unsigned char> glyph(size_t(w) * size_t(h));
        stbtt_MakeCodepointBitmap(&info_, glyph.data(), w, h, w, scale, scale, int(cp));
        for (int gy = 0; gy < h; ++gy)
          for (int gx = 0; gx < w; ++gx) {
            const int px = x + x0 + gx, py = y + y0 + gy;
            if (px < 0 || py < 0 || px >= width_ || py >= height_) continue;
            const double a = glyph[size_t(gy) * size_t(w) + size_t(gx)] / 255.0;
            uint8_t* p = &rgb_[(size_t(py) * size_t(width_) + size_t(px)) * 3];
            p[0] = uint8_t(p[0] + (r - p[0]) * a), p[1] = uint8_t(p[1] + (g - p[1]) * a),
            p[2] = uint8_t(p[2] + (b - p[2]) * a);
          }
      }
      x += int(std::lround(advance * scale));
    }
  }
  bool write(const std::string& path) const {
    return stbi_write_png(path.c_str(), width_, height_, 3, rgb_.data(), width_ * 3) != 0;
  }

 private:
  int width_, height_;
  std::vector<uint8_t> rgb_;
  std::vector<unsigned char> font_;
  stbtt_fontinfo info_{};
};

// Dark blue through purple and orange to pale yellow, in 3 dB steps (flat steps keep the
// PNG small).
void Colour(double db, int& r, int& g, int& b) {
  const double lo = -96, hi = 0;
  double u = std::clamp((db - lo) / (hi - lo), 0.0, 1.0);
  u = std::floor(u * 32) / 32;
  const double stops[][3] = {{8, 8, 20}, {40, 12, 90}, {130, 30, 120}, {215, 70, 70}, {250, 160, 40}, {255, 250, 190}};
  const double pos = u * 5;
  const int i = std::min(4, int(pos));
  const double f = pos - i;
  r = int(stops[i][0] + (stops[i + 1][0] - stops[i][0]) * f);
  g = int(stops[i][1] + (stops[i + 1][1] - stops[i][1]) * f);
  b = int(stops[i][2] + (stops[i + 1][2] - stops[i][2]) * f);
}

bool DrawSheet(const std::vector<ClipFigures>& clips, const std::string& path, const std::string& fontPath) {
  constexpr int kColumns = 8, kTileW = 216, kTileH = 72, kLabelH = 30, kGap = 8, kHeader = 34;
  const int rows = (int(clips.size()) + kColumns - 1) / kColumns;
  Sheet sheet(kGap + kColumns * (kTileW + kGap), kHeader + rows * (kLabelH + kTileH + kGap) + kGap);
  if (!sheet.loadFont(fontPath)) std::fprintf(stderr, "clip_report: no font at %s; the sheet has no labels\n", fontPath.c_str());
  sheet.text(kGap, 22,
             "SoundBoard clips: spectrogram of each, time across the whole clip, 0 Hz to its Nyquist limit upwards, "
             "-96 to 0 dB",
             15, 230, 230, 230);
  for (size_t n = 0; n < clips.size(); ++n) {
    const ClipFigures& c = clips[n];
    const int x = kGap + int(n % kColumns) * (kTileW + kGap);
    const int y = kHeader + int(n / kColumns) * (kLabelH + kTileH + kGap);
    char line[160];
    std::snprintf(line, sizeof line, "%d %s", c.id, c.caption.c_str());
    sheet.text(x, y + 12, line, 13, 240, 240, 240);
    std::snprintf(line, sizeof line, "%s  %.2f s  %.1f LUFS  top %sHz", c.format.c_str(), c.seconds,
                  c.loudness.integratedLufs, Hz(c.topBandHz).c_str());
    sheet.text(x, y + 26, line, 11, 170, 170, 180);
    std::vector<float> cells = Spectrogram(c.samples, c.channels, c.rate, kTileW, kTileH);
    for (int row = 0; row < kTileH; ++row)
      for (int col = 0; col < kTileW; ++col) {
        int r, g, b;
        Colour(cells[size_t(row) * kTileW + size_t(col)], r, g, b);
        sheet.put(x + col, y + kLabelH + kTileH - 1 - row, r, g, b);
      }
  }
  return sheet.write(path);
}

}  // namespace

int main(int argc, char** argv) {
  std::string clipsPath, sheetPath, fontPath = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc";
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--sheet" && i + 1 < argc) sheetPath = argv[++i];
    else if (a == "--font" && i + 1 < argc) fontPath = argv[++i];
    else if (clipsPath.empty()) clipsPath = a;
    else clipsPath.clear(), i = argc;
  }
  if (clipsPath.empty()) {
    std::fprintf(stderr, "usage: clip_report CLIPS_BIN [--sheet OUT.png] [--font FONT_FILE]\n");
    return 2;
  }
  std::ifstream in(clipsPath, std::ios::binary);
  const std::vector<uint8_t> catalogue(std::istreambuf_iterator<char>(in), {});

  std::vector<ClipFigures> clips;
  for (int id = 1; id <= board::kClipCount; ++id) {
    std::span<const uint8_t> stored = board::FindClip(catalogue, id);
    board::WaveChunks chunks;
    if (stored.size() < board::kByteSetHeader || !board::FindWaveChunks(stored.subspan(board::kByteSetHeader), chunks)) {
      std::fprintf(stderr, "clip_report: clip %d cannot be read from %s\n", id, clipsPath.c_str());
      return 1;
    }
    const board::ClipFormat& f = board::kClipFormats[size_t(id - 1)];
    ClipFigures c;
    c.id = id;
    c.caption = CaptionOf(id);
    c.channels = f.channels;
    c.rate = int(f.sampleRate);
    c.format = std::to_string(f.channels) + "/" + std::to_string(f.sampleRate) + "/" + std::to_string(f.bitsPerSample);
    c.samples = DecodePcm(stored.subspan(board::kByteSetHeader + chunks.dataOffset, chunks.dataSize), f.bitsPerSample);
    c.seconds = double(c.samples.size() / size_t(c.channels)) / c.rate;
    MeasureLoudness(c.samples, c.channels, c.rate, c.loudness);
    c.endDb = EndLevelDb(c.samples, c.channels, c.rate, 0.05);
    c.topBandHz = HighestBandHz(LongTermBandSpectrum(c.samples, c.channels, c.rate));
    c.shape = MeasureShape(c.samples, c.channels, c.rate);
    c.afterShotsDb = LevelAfterShotsDb(c.samples, c.channels, c.rate);
    clips.push_back(std::move(c));
  }

  std::printf(" id %s format       seconds    LUFS   dBTP  last 50 ms  top band  crest  lead  L-R  gaps fall  shot+20  <20Hz\n",
              Padded("caption", 14).c_str());
  int inWindow = 0, underPeak = 0, quietEnd = 0;
  const ClipFigures *loudest = &clips[0], *quietest = &clips[0];
  for (const ClipFigures& c : clips) {
    const bool byPeak = IsImpulsive(c.id) && c.loudness.integratedLufs < kTargetLufs - kToleranceLu &&
                        c.loudness.truePeakDb >= kMaxTruePeakDb - kPeakLevelledDb;
    const bool ok = std::fabs(c.loudness.integratedLufs - kTargetLufs) <= kToleranceLu || byPeak;
    const bool peakOk = c.loudness.truePeakDb <= kMaxTruePeakDb;
    const bool endOk = c.endDb <= c.loudness.samplePeakDb - kQuietEndDb;
    inWindow += ok, underPeak += peakOk, quietEnd += endOk;
    if (c.loudness.integratedLufs > loudest->loudness.integratedLufs) loudest = &c;
    if (!byPeak && c.loudness.integratedLufs < quietest->loudness.integratedLufs) quietest = &c;
    std::printf("%3d %s %-11s %7.2f  %6.1f%s %5.1f%s     %6.1f%s  %6sHz %5.1f %4.0fms %4.1f %4d %4.0f %6.1f %5.1f%%\n", c.id,
                Padded(c.caption, 14).c_str(), c.format.c_str(), c.seconds, c.loudness.integratedLufs, byPeak ? "p" : ok ? " " : "*",
                c.loudness.truePeakDb, peakOk ? " " : "*", c.endDb, endOk ? " " : "*", Hz(c.topBandHz).c_str(),
                c.shape.crestDb, c.shape.leadInSeconds * 1000, c.shape.balanceDb, c.shape.ditherSwitches,
                c.shape.steepestFallDb, c.afterShotsDb, c.shape.infrasound * 100);
  }
  std::printf("\nloudness spread (all but p) %.1f LU: loudest %d %s (%.1f LUFS), quietest %d %s (%.1f LUFS)\n",
              loudest->loudness.integratedLufs - quietest->loudness.integratedLufs, loudest->id,
              loudest->caption.c_str(), loudest->loudness.integratedLufs, quietest->id, quietest->caption.c_str(),
              quietest->loudness.integratedLufs);
  std::printf("within %.0f +/- %.0f LUFS (or, p: impulsive, levelled by peak to within %.1f dB of the limit): %d of %d; true peak <= %.0f dBTP: %d; last 50 ms %.0f dB under the peak: %d"
              " (* marks a miss)\n",
              kTargetLufs, kToleranceLu, kPeakLevelledDb, inWindow, board::kClipCount, kMaxTruePeakDb, underPeak, kQuietEndDb, quietEnd);
  if (!sheetPath.empty()) {
    if (!DrawSheet(clips, sheetPath, fontPath)) {
      std::fprintf(stderr, "clip_report: cannot write %s\n", sheetPath.c_str());
      return 1;
    }
    std::printf("spectrogram sheet: %s\n", sheetPath.c_str());
  }
  return 0;
}
