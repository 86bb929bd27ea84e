// The play and stop commands of the command layer. They reach the players only through the
// host's service entry, which the host hands over when it starts.
#pragma once
#include <cstdint>
#include <span>

#include "base/value_types.h"

namespace board {

using HostServiceEntry = int32_t (*)(int32_t code, intptr_t first, intptr_t second);

// Null (the state before the host starts) makes every service call give 0.
void SetHostService(HostServiceEntry entry);
int32_t CallHostService(int32_t code, intptr_t first, intptr_t second);

// PlayMusic(sound, [loop]) -> bool. sound: a text naming a file (ANSI) whose whole content
// is played, or a byte set holding the sound data. The result is true when the host accepted
// the sound; every failure leaves it false.
void PlayMusic(ResultRecord& result, std::span<const ArgRecord> args);

// Stops every sound without waiting.
void StopPlayback();

}  // namespace board
