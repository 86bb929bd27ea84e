#include "clip_synth/wave_file.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "base/byte_io.h"

namespace clipsynth {
namespace {

// A four-character chunk id, space-padded.
void Id(board::ByteWriter& w, std::string_view id) {
  uint8_t code[4] = {' ', ' ', ' ', ' '};
  for (size_t i = 0; i < 4 && i < id.size(); ++i) code[i] = uint8_t(id[i]);
  w.bytes(code);
}

void Text(board::ByteWriter& w, std::string_view text) {
  w.bytes({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
}

// Writes a chunk and its pad byte when the body is odd.
void Chunk(board::ByteWriter& w, std::string_view id, std::span<const uint8_t> body) {
  Id(w, id);
  w.u32(uint32_t(body.size()));
  w.bytes(body);
  if (body.size() % 2) w.zeros(1);
}

// LIST/INFO holding one text item (NUL-terminated, padded to even).
std::vector<uint8_t> InfoList(std::string_view item, std::string_view text) {
  board::ByteWriter w;
  Text(w, "INFO");
  Id(w, item);
  w.u32(uint32_t(text.size() + 1));
  Text(w, text);
  w.zeros(1);
  if ((text.size() + 1) % 2) w.zeros(1);
  return std::move(w.data());
}

std::string ClipTitle(int clipId) { return "SoundBoard clip " + std::to_string(clipId); }

std::vector<uint8_t> ExtraBody(std::string_view id, int occurrence, int clipId,
                               const board::ClipFormat& f) {
  board::ByteWriter w;
  if (id == "LIST") {
    // Where a clip has two lists, the first names it and the second credits the tool.
    return occurrence == 0 && clipId == 47 ? InfoList("INAM", ClipTitle(clipId))
                                           : InfoList("ISFT", "SoundBoard clip synthesizer");
  } else if (id == "smpl") {
    w.u32(0);                               // manufacturer
    w.u32(0);                               // product
    w.u32(1000000000u / f.sampleRate);      // sample period, ns
    w.u32(60);                              // unity note
    w.u32(0);                               // pitch fraction
    w.u32(0);                               // SMPTE format
    w.u32(0);                               // SMPTE offset
    w.u32(0);                               // loops
    w.u32(0);                               // sampler data
  } else if (id == "cue ") {
    w.u32(0);  // no cue points
  } else if (id == "muma") {
    w.u32(1);
    w.zeros(8);
  } else if (id == "chrp") {
    w.u32(1);
    w.u32(0);
  } else if (id == "bext") {
    auto field = [&](std::string_view text, size_t size) {
      Text(w, text.substr(0, size));
      w.zeros(size - std::min(size, text.size()));
    };
    field(ClipTitle(clipId), 256);  // description
    field("SoundBoard", 32);        // originator
    field("", 32);                  // originator reference
    field("2000-01-01", 10);
    field("00:00:00", 8);
    w.u32(0);  // time reference, low and high
    w.u32(0);
    w.u16(1);  // version
    w.zeros(64 + 190);  // UMID, reserved
  } else if (id == "_PMX") {
    std::string xmp =
        "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>"
        "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
        "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description rdf:about=\"\" "
        "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:title><rdf:Alt><rdf:li "
        "xml:lang=\"x-default\">" + ClipTitle(clipId) +
        "</rdf:li></rdf:Alt></dc:title></rdf:Description></rdf:RDF></x:xmpmeta>"
        "<?xpacket end=\"w\"?>";
    Text(w, xmp);
  } else if (id == "DISP") {
    w.u32(1);  // CF_TEXT
    w.cstring(ClipTitle(clipId));
  } else if (id == "JUNQ") {
    // Filler, sized so the whole catalogue keeps its fixed total.
    w.zeros(3326);
  }
  return std::move(w.data());
}

// The gate's gain per frame (see kDitherGateSteps): 1 while open, rising over the hold time
// ahead of the sound that opens it and falling over the fade time after it shuts.
template <typename Value>
std::vector<float> GateGains(size_t frames, const board::ClipFormat& f, const Value& value) {
  const size_t hold = std::max<size_t>(1, Samples(kDitherHoldSeconds, int(f.sampleRate)));
  const size_t fade = std::max<size_t>(1, Samples(kDitherFadeSeconds, int(f.sampleRate)));
  std::vector<float> g(frames, 0.0f);
  bool open = false;
  size_t lastKept = 0;
  for (size_t i = 0; i < frames; ++i) {
    double steps = 0;
    for (int c = 0; c < f.channels; ++c) steps = std::max(steps, std::fabs(value(i, c)));
    if (steps >= kDitherGateSteps) open = true;
    if (open && steps >= kDitherKeepSteps) lastKept = i;
    if (open && i - lastKept > hold) open = false;
    g[i] = open ? 1.0f : 0.0f;
  }
  // A pause too short to fall silent and rise again keeps the gate open through it.
  const size_t bridge = Samples(kDitherBridgeSeconds, int(f.sampleRate));
  for (size_t i = 0, shut = 0; i < frames; ++i) {
    if (g[i] == 0) continue;
    if (shut > 0 && i - shut < bridge && g[shut - 1] > 0) std::fill(g.begin() + long(shut), g.begin() + long(i), 1.0f);
    while (i + 1 < frames && g[i + 1] > 0) ++i;
    shut = i + 1;
  }
  for (size_t i = 1; i < frames; ++i) g[i] = std::max(g[i], g[i - 1] - 1.0f / float(fade));
  for (size_t i = frames; i-- > 1;) g[i - 1] = std::max(g[i - 1], g[i] - 1.0f / float(hold));
  return g;
}

}  // namespace

size_t ClipFrames(const board::ClipFormat& f) {
  size_t block = size_t(f.channels) * (f.bitsPerSample / 8);
  return block ? f.dataBytes / block : 0;
}

std::vector<uint8_t> EncodePcm(const Stereo& mix, const board::ClipFormat& f, uint64_t seed) {
  const bool wide = f.bitsPerSample == 16;
  std::vector<uint8_t> out(f.dataBytes, wide ? 0 : 128);
  Rng rng(seed);
  const double full = wide ? 32767 : 127;
  const size_t frames = std::min(ClipFrames(f), mix.frames());
  auto value = [&](size_t i, int c) {
    return (f.channels == 1 ? 0.5 * (mix.left[i] + mix.right[i]) : c ? mix.right[i] : mix.left[i]) * full;
  };
  const std::vector<float> gate = GateGains(frames, f, value);
  size_t at = frames * f.channels * (wide ? 2 : 1);
  for (size_t i = frames; i-- > 0;) {
    for (int c = f.channels; c-- > 0;) {
      double v = 0;
      if (gate[i] > 0 && value(i, c) != 0) {  // an exact zero is digital silence even amid sound
        // Two draws per sample, taken from the end backwards: still one fixed sequence.
        v = std::floor(gate[i] * (value(i, c) + rng.uniform() - rng.uniform()) + 0.5);
        v = Clamp(v, -full, full);
      }
      if (wide) {
        uint16_t u = uint16_t(int16_t(v));
        out[--at] = uint8_t(u >> 8);
        out[--at] = uint8_t(u);
      } else {
        out[--at] = uint8_t(int(v) + 128);
      }
    }
  }
  return out;
}

std::vector<std::string> ExtraChunkIds(const board::ClipFormat& f) {
  std::vector<std::string> ids;
  std::string_view list = f.extraChunks ? f.extraChunks : "";
  while (!list.empty()) {
    size_t comma = list.find(',');
    ids.emplace_back(list.substr(0, comma));
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return ids;
}

std::vector<uint8_t> BuildWaveFile(int clipId, const board::ClipFormat& f, std::span<const uint8_t> pcm) {
  board::ByteWriter w;
  Id(w, "RIFF");
  w.u32(0);  // patched below
  Id(w, "WAVE");
  Id(w, "fmt ");
  w.u32(16);
  const uint16_t block = uint16_t(f.channels * (f.bitsPerSample / 8));
  w.u16(1);  // PCM
  w.u16(f.channels);
  w.u32(f.sampleRate);
  w.u32(f.sampleRate * block);
  w.u16(block);
  w.u16(f.bitsPerSample);
  Chunk(w, "data", pcm);
  std::vector<std::string> ids = ExtraChunkIds(f);
  for (size_t i = 0; i < ids.size(); ++i) {
    int occurrence = int(std::count(ids.begin(), ids.begin() + long(i), ids[i]));
    Chunk(w, ids[i], ExtraBody(ids[i], occurrence, clipId, f));
  }
  w.patchU32(4, uint32_t(w.size() - 8));
  return std::move(w.data());
}

PcmLevels MeasurePcm(std::span<const uint8_t> pcm, uint16_t channels, uint32_t rate,
                     uint16_t bits) {
  PcmLevels lv;
  const size_t bytesPer = bits / 8, block = channels * bytesPer;
  if (block == 0 || rate == 0 || (bits != 8 && bits != 16)) return lv;
  const size_t frames = pcm.size() / block;
  auto sample = [&](size_t frame, int c) {
    const uint8_t* p = pcm.data() + frame * block + size_t(c) * bytesPer;
    return bits == 16 ? int16_t(board::LoadU16(p)) / 32768.0 : (int(p[0]) - 128) / 128.0;
  };
  const size_t window = std::max<size_t>(1, rate / 20);
  const double quiet = std::pow(10.0, -50.0 / 20);
  double sum = 0, mid = 0, side = 0, windowSum = 0, run = 0;
  for (size_t i = 0; i < frames; ++i) {
    double l = sample(i, 0), r = channels > 1 ? sample(i, 1) : l;
    lv.peak = std::max({lv.peak, std::fabs(l), std::fabs(r)});
    sum += l * l + (channels > 1 ? r * r : 0);
    mid += (l + r) * (l + r) / 4;
    side += (l - r) * (l - r) / 4;
    windowSum += (l * l + r * r) / 2;
    if ((i + 1) % window == 0 || i + 1 == frames) {
      size_t n = (i % window) + 1;
      if (std::sqrt(windowSum / n) < quiet) {
        run += double(n) / rate;
      } else {
        lv.longestGap = std::max(lv.longestGap, run);
        run = 0;
      }
      windowSum = 0;
    }
  }
  lv.quietEnd = run;
  if (frames) lv.rms = std::sqrt(sum / (double(frames) * channels));
  if (channels > 1 && mid > 0) lv.side = std::sqrt(side / mid);
  return lv;
}

}  // namespace clipsynth
