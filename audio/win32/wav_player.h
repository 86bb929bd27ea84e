// The WAV stream player: every start builds an independent player with its own copy of the
// samples, its own waveOut stream on the wave mapper, its own worker thread and 20 rotating
// 15 KiB buffers. The worker streams the data, ends by itself (or starts over when looping)
// and releases everything the player holds. The list of live players is player_list.h.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>

#include "audio/win32/wave_out_api.h"
#include "base/win32/scoped_win.h"

namespace board {

constexpr DWORD kBufferStep = 0x3C00;  // 15 KiB per output buffer
constexpr int kBufferCount = 20;
// A worker that hears nothing (no buffer back, no stop) for this long ends its player.
constexpr DWORD kPlayerIdleTimeoutMs = 8888;

// `count` headers followed by `count` data areas of `step` bytes, in one zero-filled block
// from the process heap. Header i points at area i with dwBufferLength = step. Null when the
// heap refuses.
WAVEHDR* AllocBufferPool(DWORD step, int count);
void FreeBufferPool(WAVEHDR* pool);
constexpr size_t BufferPoolBytes(DWORD step, int count) {
  return size_t(count) * (size_t(step) + sizeof(WAVEHDR));
}

// The owner of a pool from AllocBufferPool.
struct BufferPoolTraits {
  using Handle = WAVEHDR*;
  static WAVEHDR* Adopt(WAVEHDR* pool) { return pool; }
  static void Disown(WAVEHDR*) {}
  static void Release(WAVEHDR* pool) { FreeBufferPool(pool); }
};
using BufferPool = Scoped<BufferPoolTraits>;

// The owner of the samples' copy, which comes from malloc.
struct FreeMalloced {
  void operator()(uint8_t* bytes) const { std::free(bytes); }
};
using MallocBytes = std::unique_ptr<uint8_t[], FreeMalloced>;

// waveOutOpen on the wave mapper with a function callback: 1, or -1 when there is no device
// (no open is tried then) or the open fails.
int32_t OpenWaveOut(const WaveOutApi& api, HWAVEOUT* out, const WAVEFORMATEX* format,
                    DWORD_PTR instance, DWORD_PTR callback);
int32_t CloseWaveOut(const WaveOutApi& api, HWAVEOUT stream);

// An open waveOut stream; its owner closes it.
class WaveOutStream {
 public:
  WaveOutStream() = default;
  ~WaveOutStream() { close(); }
  WaveOutStream(const WaveOutStream&) = delete;
  WaveOutStream& operator=(const WaveOutStream&) = delete;

  int32_t open(const WaveOutApi& api, const WAVEFORMATEX* format, DWORD_PTR instance,
               DWORD_PTR callback);
  // 1 when closed (or never open); -1 when the device refused, and the stream stays open.
  int32_t close();
  HWAVEOUT get() const { return handle_; }

 private:
  const WaveOutApi* api_ = nullptr;
  HWAVEOUT handle_ = nullptr;
};

class PlayerList;

// What a player takes from its list when it starts and keeps to its end.
struct PlayerSettings {
  const WaveOutApi* device = nullptr;
  DWORD idleTimeoutMs = kPlayerIdleTimeoutMs;
  void (*bufferCounted)() = nullptr;  // tests: runs in the callback right after it counts
};

// One live playback. From the moment its worker is resumed the record and everything in it
// belong to the worker thread, which releases them; its list only finds it.
struct WavPlayer {
  WavPlayer() = default;
  // Closes the stream, passes through `lock` so that a callback that handed the last buffer
  // back has left it, then releases the samples, the pool, the handles, the lock and the
  // record. Only once the device has every buffer back: one it still holds would be written
  // into freed memory.
  ~WavPlayer();
  WavPlayer(const WavPlayer&) = delete;
  WavPlayer& operator=(const WavPlayer&) = delete;

  MallocBytes data;  // copy of the "data" chunk body
  WaveOutStream waveOut;
  int32_t dataLength = 0;
  BufferPool pool;          // AllocBufferPool(kBufferStep, kBufferCount)
  int32_t freeBuffers = 0;  // buffers not at the device; under `lock`
  int32_t nextBuffer = 0;   // worker only
  int32_t position = 0;     // bytes of `data` queued so far; worker only
  UniqueHandle thread;
  DWORD threadId = 0;
  // Owned one by one; the worker waits on the pair with `wakeup` first, so the semaphore
  // is served first when both are set.
  UniqueHandle wakeup;  // counting semaphore, 20 of 20
  UniqueHandle stop;    // manual-reset event
  CritSec lock;
  int32_t loop = 0;
  PlayerSettings settings;
  PlayerList* list = nullptr;
};

// Builds a player on in-memory RIFF/WAVE data: the samples' copy, the pool, the events, the
// stream and the worker, created suspended. Null when the data is refused or a resource
// can't be had; what was made is released then. Only the samples are copied.
std::unique_ptr<WavPlayer> PrepareWavPlayer(std::span<const uint8_t> riff, bool loop,
                                            const PlayerSettings& settings, PlayerList* list);

// A player whose device kept buffers past its stop: true once every buffer has come back
// and the stream is closed, so the record may go.
bool CloseWhenAllBack(WavPlayer& player);

DWORD WINAPI PlayerWorker(void* player);
void CALLBACK WaveOutDone(HWAVEOUT stream, UINT message, DWORD_PTR instance, DWORD_PTR first,
                          DWORD_PTR second);

}  // namespace board
