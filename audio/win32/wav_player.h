// The WAV stream player: every start builds an independent player with its own copy of the
// samples, its own waveOut stream on the wave mapper, its own worker thread and 20 rotating
// 15 KiB buffers. The worker streams the data, ends by itself (or starts over when looping)
// and frees everything the player holds.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <cstddef>
#include <cstdint>

#include "audio/win32/wave_out_api.h"
#include "base/win32/scoped_win.h"

namespace board {

constexpr DWORD kBufferStep = 0x3C00;  // 15 KiB per output buffer
constexpr int kBufferCount = 20;
// A worker that hears nothing (no buffer back, no stop) for this long ends its player.
constexpr DWORD kPlayerIdleTimeoutMs = 8888;

// One live playback. Allocated by StartWavPlayer; from the moment its worker is resumed the
// record and everything in it belong to the worker thread, which releases them.
struct WavPlayer {
  uint8_t* data = nullptr;  // copy of the "data" chunk body (malloc)
  HWAVEOUT waveOut = nullptr;
  int32_t dataLength = 0;
  WAVEHDR* pool = nullptr;  // AllocBufferPool(kBufferStep, kBufferCount)
  int32_t freeBuffers = 0;  // buffers not at the device; under `lock`
  int32_t nextBuffer = 0;   // worker only
  int32_t position = 0;     // bytes of `data` queued so far; worker only
  HANDLE thread = nullptr;
  DWORD threadId = 0;
  HANDLE wakeupAndStop[2] = {nullptr, nullptr};  // waited on together; the semaphore wins when both are set
  CritSec lock;
  int32_t loop = 0;
  const WaveOutApi* api = nullptr;  // the device table the player was started with
};
constexpr int kWakeup = 0;
constexpr int kStop = 1;

// `count` headers followed by `count` data areas of `step` bytes, in one zero-filled block
// from the process heap. Header i points at area i with dwBufferLength = step. Null when the
// heap refuses.
WAVEHDR* AllocBufferPool(DWORD step, int count);
void FreeBufferPool(WAVEHDR* pool);
constexpr size_t BufferPoolBytes(DWORD step, int count) {
  return size_t(count) * (size_t(step) + sizeof(WAVEHDR));
}

// waveOutOpen on the wave mapper with a function callback: 1, or -1 when there is no device
// (no open is tried then) or the open fails.
int32_t OpenWaveOut(const WaveOutApi& api, HWAVEOUT* out, const WAVEFORMATEX* format,
                    DWORD_PTR instance, DWORD_PTR callback);
int32_t CloseWaveOut(const WaveOutApi& api, HWAVEOUT stream);

// Starts a player on in-memory RIFF/WAVE data; 1 when started, 0 when the data is refused or
// a resource can't be had (then nothing is left behind). Only the samples are copied: the
// caller may free `bytes` as soon as this returns. `api` null means CurrentWaveOutApi().
int32_t StartWavPlayer(const uint8_t* bytes, int32_t length, int32_t loop,
                       const WaveOutApi* api = nullptr);

DWORD WINAPI PlayerWorker(void* player);
void CALLBACK WaveOutDone(HWAVEOUT stream, UINT message, DWORD_PTR instance, DWORD_PTR first,
                          DWORD_PTR second);

// Sets the stop event of every listed player; returns 1.
int32_t SignalAllPlayers();
// Asks every listed player to stop; with `wait` nonzero also waits, without limit, until
// each player listed at the call has ended.
void StopAllPlayers(int32_t wait);

// The process-wide player list and its lock: created before the first start, deleted after
// the final StopAllPlayers(1). Starting is refused outside that span.
void InitPlayerList();
void ShutdownPlayerList();
int LivePlayerCount();

// Tests shorten the idle timeout; 0 restores kPlayerIdleTimeoutMs.
void SetPlayerIdleTimeoutForTests(DWORD ms);
// Tests widen the callback's window: `hook` runs inside the callback right after it has
// counted a returned buffer. And a count of the players released so far.
void SetBufferCountedHookForTests(void (*hook)());
long PlayersReleasedForTests();

}  // namespace board
