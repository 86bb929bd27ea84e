#include "audio/win32/wav_player.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "audio/wave_chunks.h"
#include "audio/win32/player_list.h"
#include "base/byte_io.h"

namespace board {
namespace {

// The "fmt " body as a WAVEFORMATEX the open can read whole without leaving the chunk: a
// 16-byte PCM body gets cbSize 0, and a cbSize larger than the chunk holds is cut to fit.
std::vector<uint8_t> FormatForOpen(std::span<const uint8_t> riff, const WaveChunks& chunks) {
  const uint8_t* body = riff.data() + chunks.formatOffset;
  size_t extra = 0;
  if (chunks.formatSize >= sizeof(WAVEFORMATEX))
    extra = std::min<size_t>(LoadU16(body + offsetof(WAVEFORMATEX, cbSize)),
                             chunks.formatSize - sizeof(WAVEFORMATEX));
  std::vector<uint8_t> format(sizeof(WAVEFORMATEX) + extra);
  std::memcpy(format.data(), body, std::min<size_t>(chunks.formatSize, format.size()));
  const WORD cbSize = WORD(extra);
  std::memcpy(format.data() + offsetof(WAVEFORMATEX, cbSize), &cbSize, sizeof cbSize);
  return format;
}

const WaveOutApi& Device(const WavPlayer& p) { return *p.settings.device; }

void UnprepareAll(WavPlayer& p) {
  WAVEHDR* pool = p.pool.get();
  for (int i = 0; i < kBufferCount; ++i)
    if (pool[i].dwFlags & WHDR_PREPARED)
      Device(p).unprepareHeader(p.waveOut.get(), &pool[i], sizeof(WAVEHDR));
}

int32_t ReadFreeBuffers(WavPlayer& p) {
  ScopedCritSec hold(p.lock);
  return p.freeBuffers;
}

// After a reset every queued buffer comes back through the callback, possibly from the
// device's thread after the reset has returned. The worker waits for the count to be whole
// before it unprepares and closes, so no callback is still on its way to a freed player.
// Bounded: a device that never hands a buffer back does not keep the worker forever.
bool WaitForAllBuffersBack(WavPlayer& p, DWORD limitMs) {
  const ULONGLONG deadline = GetTickCount64() + limitMs;
  while (ReadFreeBuffers(p) < kBufferCount) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return false;
    WaitForSingleObject(p.wakeup.get(), DWORD(deadline - now));
  }
  return true;
}

// Copies the next chunk of the samples into header `nextBuffer` and queues it.
void QueueNextChunk(WavPlayer& p, int32_t remaining) {
  WAVEHDR& header = p.pool.get()[p.nextBuffer];
  const DWORD chunk = remaining > int32_t(kBufferStep) ? kBufferStep : DWORD(remaining);
  std::memcpy(header.lpData, p.data.get() + p.position, chunk);
  header.dwBufferLength = chunk;
  if (!(header.dwFlags & WHDR_PREPARED)) header.dwFlags = 0;  // prepare wants clean flags
  p.position += int32_t(chunk);
  Device(p).prepareHeader(p.waveOut.get(), &header, sizeof(WAVEHDR));
  Device(p).write(p.waveOut.get(), &header, sizeof(WAVEHDR));
  {
    ScopedCritSec hold(p.lock);
    --p.freeBuffers;
  }
  p.nextBuffer = (p.nextBuffer + 1) % kBufferCount;
}

// Every buffer is back at the end of a looping clip: stream it again from its first byte.
void RestartLoop(WavPlayer& p) {
  {
    ScopedCritSec hold(p.lock);
    p.position = 0;
    p.nextBuffer = 0;
    p.freeBuffers = kBufferCount;
  }
  // Fill the semaphore to its maximum: a single release of 20 would fail outright if a
  // spare count were still pending, and the restarted stream would run short of buffers.
  for (int i = 0; i < kBufferCount; ++i)
    if (!ReleaseSemaphore(p.wakeup.get(), 1, nullptr)) break;
}

enum class Turn { kGoOn, kFinished };

// One wake-up of the worker: queue the next chunk, or notice the end of the data.
Turn ServeWakeup(WavPlayer& p) {
  const int32_t freeNow = ReadFreeBuffers(p);
  if (freeNow < 1) return Turn::kGoOn;
  WAVEHDR& header = p.pool.get()[p.nextBuffer];
  if (header.dwFlags & WHDR_PREPARED)
    Device(p).unprepareHeader(p.waveOut.get(), &header, sizeof(WAVEHDR));
  const int32_t remaining = p.dataLength - p.position;
  if (remaining > 0) {
    QueueNextChunk(p, remaining);
    return Turn::kGoOn;
  }
  if (freeNow < kBufferCount) return Turn::kGoOn;  // buffers still at the device
  if (!p.loop) {
    UnprepareAll(p);
    return Turn::kFinished;
  }
  RestartLoop(p);
  return Turn::kGoOn;
}

// The worker's run until its player ends: true when the device has every buffer back,
// false when a stop's bounded wait ran out with buffers still at the device.
bool StreamUntilEnd(WavPlayer& p) {
  // Wake-up first: when both are signalled, the semaphore is served first.
  const HANDLE wakeupAndStop[2] = {p.wakeup.get(), p.stop.get()};
  for (;;) {
    const DWORD woke = WaitForMultipleObjects(2, wakeupAndStop, FALSE, p.settings.idleTimeoutMs);
    if (woke == WAIT_OBJECT_0 + 1 || woke == WAIT_TIMEOUT) {
      // The reset hands every queued buffer back, so all can be unprepared.
      Device(p).pause(p.waveOut.get());
      Device(p).reset(p.waveOut.get());
      // A device that still holds a buffer now may write into it later: the player is
      // kept whole rather than freed under it (PlayerList::PlayerEnded).
      if (!WaitForAllBuffersBack(p, p.settings.idleTimeoutMs)) return false;
      UnprepareAll(p);
      return true;
    }
    if (woke != WAIT_OBJECT_0) continue;
    if (ServeWakeup(p) == Turn::kFinished) return true;
  }
}

}  // namespace

WAVEHDR* AllocBufferPool(DWORD step, int count) {
  if (count <= 0) return nullptr;
  auto* pool = static_cast<WAVEHDR*>(
      HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, BufferPoolBytes(step, count)));
  if (!pool) return nullptr;
  char* areas = reinterpret_cast<char*>(pool + count);
  for (int i = 0; i < count; ++i) {
    pool[i].lpData = areas + size_t(i) * step;
    pool[i].dwBufferLength = step;
  }
  return pool;
}

void FreeBufferPool(WAVEHDR* pool) {
  if (pool) HeapFree(GetProcessHeap(), 0, pool);
}

int32_t OpenWaveOut(const WaveOutApi& api, HWAVEOUT* out, const WAVEFORMATEX* format,
                    DWORD_PTR instance, DWORD_PTR callback) {
  *out = nullptr;
  if (api.getNumDevs() == 0) return -1;
  if (api.open(out, WAVE_MAPPER, format, callback, instance, CALLBACK_FUNCTION) !=
      MMSYSERR_NOERROR) {
    *out = nullptr;
    return -1;
  }
  return 1;
}

int32_t CloseWaveOut(const WaveOutApi& api, HWAVEOUT stream) {
  return api.close(stream) == MMSYSERR_NOERROR ? 1 : -1;
}

int32_t WaveOutStream::open(const WaveOutApi& api, const WAVEFORMATEX* format,
                            DWORD_PTR instance, DWORD_PTR callback) {
  close();
  api_ = &api;
  return OpenWaveOut(api, &handle_, format, instance, callback);
}

int32_t WaveOutStream::close() {
  if (!handle_) return 1;
  if (CloseWaveOut(*api_, handle_) != 1) return -1;
  handle_ = nullptr;
  return 1;
}

WavPlayer::~WavPlayer() {
  waveOut.close();
  {
    // The callback that handed the last buffer back counts it and wakes the worker inside
    // the lock; passing through the lock once more waits until that callback has left it.
    ScopedCritSec drain(lock);
  }
  data.reset();
  pool.reset();
  thread.reset();
  wakeup.reset();
  stop.reset();
}

std::unique_ptr<WavPlayer> PrepareWavPlayer(std::span<const uint8_t> riff, bool loop,
                                            const PlayerSettings& settings, PlayerList* list) {
  WaveChunks chunks;
  if (!FindWaveChunks(riff, chunks)) return nullptr;
  std::unique_ptr<WavPlayer> p(new (std::nothrow) WavPlayer);
  if (!p) return nullptr;
  p->settings = settings;
  p->list = list;
  p->dataLength = int32_t(chunks.dataSize);  // clipped to the bytes present
  p->data.reset(static_cast<uint8_t*>(std::malloc(chunks.dataSize)));
  if (!p->data) return nullptr;
  std::memcpy(p->data.get(), riff.data() + chunks.dataOffset, chunks.dataSize);

  p->loop = loop ? 1 : 0;
  p->pool.reset(AllocBufferPool(kBufferStep, kBufferCount));
  p->stop.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  p->wakeup.reset(CreateSemaphoreW(nullptr, kBufferCount, kBufferCount, nullptr));
  p->freeBuffers = kBufferCount;
  if (!p->pool || !p->stop || !p->wakeup) return nullptr;

  const std::vector<uint8_t> format = FormatForOpen(riff, chunks);
  if (p->waveOut.open(Device(*p), reinterpret_cast<const WAVEFORMATEX*>(format.data()),
                      DWORD_PTR(p.get()), DWORD_PTR(&WaveOutDone)) != 1)
    return nullptr;
  // Suspended until listed, so the worker can't leave the list before it is in it and a
  // stop issued right after the start reaches it.
  p->thread.reset(
      CreateThread(nullptr, 0, &PlayerWorker, p.get(), CREATE_SUSPENDED, &p->threadId));
  if (!p->thread) return nullptr;
  return p;
}

bool CloseWhenAllBack(WavPlayer& p) {
  if (ReadFreeBuffers(p) < kBufferCount) return false;
  UnprepareAll(p);
  return p.waveOut.close() == 1;
}

DWORD WINAPI PlayerWorker(void* param) {
  std::unique_ptr<WavPlayer> p(static_cast<WavPlayer*>(param));
  const bool allBack = StreamUntilEnd(*p);
  PlayerList* list = p->list;
  list->PlayerEnded(std::move(p), allBack);
  return 0;
}

void CALLBACK WaveOutDone(HWAVEOUT, UINT message, DWORD_PTR instance, DWORD_PTR, DWORD_PTR) {
  if (message != WOM_DONE) return;
  WavPlayer* p = reinterpret_cast<WavPlayer*>(instance);
  // Both inside the lock: once the worker sees its last buffer back it may free the record,
  // and it passes through this lock before it does. The release fails harmlessly when the
  // semaphore is full: the worker is due to look anyway.
  ScopedCritSec hold(p->lock);
  ++p->freeBuffers;
  if (p->settings.bufferCounted) p->settings.bufferCounted();
  ReleaseSemaphore(p->wakeup.get(), 1, nullptr);
}

}  // namespace board
