#include "clip_synth/recipes.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "app/clip_catalogue.h"
#include "clip_synth/wave_file.h"

namespace clipsynth {

namespace {

// A board clip sounds when it is clicked: whatever a recipe holds before its sound first
// comes within 40 dB of the peak is cut to 10 ms, the rest moves earlier and silence fills
// the end.
void TrimLeadIn(Stereo& mix) {
  float peak = 0;
  for (size_t i = 0; i < mix.frames(); ++i) peak = std::max({peak, std::fabs(mix.left[i]), std::fabs(mix.right[i])});
  size_t onset = 0;
  while (onset < mix.frames() && std::max(std::fabs(mix.left[onset]), std::fabs(mix.right[onset])) < peak * 0.01f) ++onset;
  const size_t keep = Samples(0.01, mix.rate);
  if (onset >= mix.frames() || onset <= keep) return;
  for (std::vector<float>* ch : {&mix.left, &mix.right}) {
    std::move(ch->begin() + long(onset - keep), ch->end(), ch->begin());
    std::fill(ch->end() - long(onset - keep), ch->end(), 0.0f);
  }
}

}  // namespace

bool IsImpulsive(int clipId) {
  // Guns, punches, a door pounded, the cannon and the blasts.
  constexpr int kImpulsive[] = {3, 5, 17, 31, 36, 43, 46, 55, 59, 64, 73};
  return std::find(std::begin(kImpulsive), std::end(kImpulsive), clipId) != std::end(kImpulsive);
}

Stereo RenderClip(int clipId) {
  if (clipId < 1 || clipId > board::kClipCount) return Stereo(8000, 0);
  const board::ClipFormat& format = board::kClipFormats[size_t(clipId - 1)];
  const int rate = int(format.sampleRate);
  const size_t frames = ClipFrames(format);
  Take take{rate, frames, double(frames) / rate, Rng(0x5EED0000ull + uint64_t(clipId)), {}};
  take.master.peakOnly = IsImpulsive(clipId);
  Recipe recipe = WeaponRecipe(clipId);
  if (!recipe) recipe = VoiceRecipe(clipId);
  if (!recipe) recipe = MusicRecipe(clipId);
  if (!recipe) recipe = SignalRecipe(clipId);
  Stereo mix = recipe ? recipe(take) : take.mix();
  if (mix.frames() != frames) mix = take.mix();  // a recipe must fill the clip exactly
  TrimLeadIn(mix);
  if (format.channels == 1) mix.foldToMono();
  Master(mix, format.channels, take.master);
  return mix;
}

std::vector<uint8_t> ClipFile(int clipId) {
  if (clipId < 1 || clipId > board::kClipCount) return {};
  const board::ClipFormat& format = board::kClipFormats[size_t(clipId - 1)];
  std::vector<uint8_t> pcm = EncodePcm(RenderClip(clipId), format, 0xD17E0000ull + uint64_t(clipId));
  return BuildWaveFile(clipId, format, pcm);
}

}  // namespace clipsynth
