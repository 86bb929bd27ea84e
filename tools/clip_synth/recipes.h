// The sound of every clip: one recipe per ClipId.
#pragma once
#include <cstdint>
#include <vector>

#include "clip_synth/level.h"
#include "clip_synth/stereo.h"

namespace clipsynth {

// The finished mix of clip `clipId` (1..73): rendered at the clip's rate and length,
// folded to mono where the clip is mono, and levelled. Deterministic.
Stereo RenderClip(int clipId);

// Shots, blows and blasts: clips levelled by their peak alone (MasterSettings::peakOnly),
// so they may sit under the loudness target the others reach.
bool IsImpulsive(int clipId);

// The complete RIFF/WAVE file of clip `clipId`, as stored in the catalogue.
std::vector<uint8_t> ClipFile(int clipId);

// What a recipe gets: the clip's rate and length, and its own seeded generator.
struct Take {
  int rate;
  size_t frames;
  double seconds;
  Rng rng;
  MasterSettings master;  // the recipe may change how its mix is levelled
  Stereo mix() const { return Stereo(rate, frames); }
};

using Recipe = Stereo (*)(Take&);

// The recipes, grouped by kind; each table is indexed by ClipId - 1 and holds null where
// another group supplies the clip.
Recipe WeaponRecipe(int clipId);
Recipe VoiceRecipe(int clipId);
Recipe MusicRecipe(int clipId);
Recipe SignalRecipe(int clipId);  // alarms, sirens, horns, machines, nature

}  // namespace clipsynth
