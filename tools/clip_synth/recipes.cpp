#include "clip_synth/recipes.h"

#include <algorithm>
#include <iterator>

#include "app/clip_catalogue.h"
#include "clip_synth/wave_file.h"

namespace clipsynth {

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
