#include "audio/win32/wav_player.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <span>
#include <vector>

#include "audio/wave_chunks.h"
#include "base/byte_io.h"

namespace board {
namespace {

struct PlayerList {
  std::optional<CritSec> lock;  // exists from InitPlayerList to ShutdownPlayerList
  std::vector<WavPlayer*> players;  // start order
};
PlayerList g_list;

// Workers alive, listed or not. The list's lock is deleted only when this is back at 0, so
// no worker can reach it afterwards: one that was never listed, or whose thread handle the
// waiting stop could not take, is not waited for by thread handle.
struct WorkerCount {
  std::mutex mutex;
  std::condition_variable zero;
  int live = 0;
};
WorkerCount g_workers;

void WorkerStarted() {
  std::lock_guard<std::mutex> hold(g_workers.mutex);
  ++g_workers.live;
}
void WorkerDone() {
  std::lock_guard<std::mutex> hold(g_workers.mutex);
  if (--g_workers.live == 0) g_workers.zero.notify_all();
}
void WaitForAllWorkers() {
  std::unique_lock<std::mutex> hold(g_workers.mutex);
  g_workers.zero.wait(hold, [] { return g_workers.live == 0; });
}

std::atomic<DWORD> g_idleTimeout{kPlayerIdleTimeoutMs};
std::atomic<void (*)()> g_bufferCountedHook{nullptr};
std::atomic<long> g_playersReleased{0};

// Releases whatever a player holds, in an order that keeps the device away from freed
// memory: the stream is closed first, then the samples, the buffers, the handles, the lock
// and the record. Used by the worker's exit path and by every failed start.
void ReleasePlayer(WavPlayer* p) {
  if (!p) return;
  if (p->waveOut) CloseWaveOut(*p->api, p->waveOut);
  // The callback that handed the last buffer back counts it and wakes the worker inside the
  // lock; passing through the lock once more waits until that callback has left it, so no
  // callback still touches the record when it goes.
  { ScopedCritSec drain(p->lock); }
  std::free(p->data);
  FreeBufferPool(p->pool);
  for (HANDLE h : {p->thread, p->wakeupAndStop[kWakeup], p->wakeupAndStop[kStop]})
    if (h) CloseHandle(h);
  delete p;  // deletes `lock` with the record
  ++g_playersReleased;
}

struct PlayerRelease {
  void operator()(WavPlayer* p) const { ReleasePlayer(p); }
};
using StartingPlayer = std::unique_ptr<WavPlayer, PlayerRelease>;

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

void UnprepareAll(WavPlayer& p) {
  for (int i = 0; i < kBufferCount; ++i)
    if (p.pool[i].dwFlags & WHDR_PREPARED)
      p.api->unprepareHeader(p.waveOut, &p.pool[i], sizeof(WAVEHDR));
}

int32_t ReadFreeBuffers(WavPlayer& p) {
  ScopedCritSec hold(p.lock);
  return p.freeBuffers;
}

// After a reset every queued buffer comes back through the callback, possibly from the
// device's thread after the reset has returned. The worker waits for the count to be whole
// before it unprepares and closes, so no callback is still on its way to a freed player.
// Bounded: a device that never hands a buffer back does not keep the worker forever.
void WaitForAllBuffersBack(WavPlayer& p, DWORD limitMs) {
  const ULONGLONG deadline = GetTickCount64() + limitMs;
  while (ReadFreeBuffers(p) < kBufferCount) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return;
    WaitForSingleObject(p.wakeupAndStop[kWakeup], DWORD(deadline - now));
  }
}

enum class Turn { kGoOn, kFinished };

// One wake-up of the worker: queue the next chunk, or notice the end of the data.
Turn ServeWakeup(WavPlayer& p) {
  const int32_t freeNow = ReadFreeBuffers(p);
  if (freeNow < 1) return Turn::kGoOn;
  WAVEHDR& header = p.pool[p.nextBuffer];
  if (header.dwFlags & WHDR_PREPARED)
    p.api->unprepareHeader(p.waveOut, &header, sizeof(WAVEHDR));

  const int32_t remaining = p.dataLength - p.position;
  if (remaining > 0) {
    const DWORD chunk = remaining > int32_t(kBufferStep) ? kBufferStep : DWORD(remaining);
    std::memcpy(header.lpData, p.data + p.position, chunk);
    header.dwBufferLength = chunk;
    if (!(header.dwFlags & WHDR_PREPARED)) header.dwFlags = 0;  // prepare wants clean flags
    p.position += int32_t(chunk);
    p.api->prepareHeader(p.waveOut, &header, sizeof(WAVEHDR));
    p.api->write(p.waveOut, &header, sizeof(WAVEHDR));
    {
      ScopedCritSec hold(p.lock);
      --p.freeBuffers;
    }
    p.nextBuffer = (p.nextBuffer + 1) % kBufferCount;
    return Turn::kGoOn;
  }

  if (freeNow < kBufferCount) return Turn::kGoOn;  // buffers still at the device
  if (!p.loop) {
    UnprepareAll(p);
    return Turn::kFinished;
  }
  {
    ScopedCritSec hold(p.lock);
    p.position = 0;
    p.nextBuffer = 0;
    p.freeBuffers = kBufferCount;
  }
  // Fill the semaphore to its maximum: a single release of 20 would fail outright if a
  // spare count were still pending, and the restarted stream would run short of buffers.
  for (int i = 0; i < kBufferCount; ++i)
    if (!ReleaseSemaphore(p.wakeupAndStop[kWakeup], 1, nullptr)) break;
  return Turn::kGoOn;
}

void LeaveList(WavPlayer* p) {
  ScopedCritSec hold(*g_list.lock);
  auto it = std::find(g_list.players.begin(), g_list.players.end(), p);
  if (it != g_list.players.end()) g_list.players.erase(it);
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

int32_t StartWavPlayer(const uint8_t* bytes, int32_t length, int32_t loop,
                       const WaveOutApi* api) {
  if (!bytes || length < 36 || !g_list.lock) return 0;
  const std::span<const uint8_t> riff(bytes, size_t(length));
  WaveChunks chunks;
  if (!FindWaveChunks(riff, chunks)) return 0;

  // Until the worker is resumed, `player` releases whatever has been made on any return.
  StartingPlayer player(new (std::nothrow) WavPlayer);
  if (!player) return 0;
  player->api = api ? api : CurrentWaveOutApi();
  player->dataLength = int32_t(chunks.dataSize);  // clipped to the bytes present
  player->data = static_cast<uint8_t*>(std::malloc(chunks.dataSize));
  if (!player->data) return 0;
  std::memcpy(player->data, riff.data() + chunks.dataOffset, chunks.dataSize);

  player->loop = loop;
  player->pool = AllocBufferPool(kBufferStep, kBufferCount);
  player->wakeupAndStop[kStop] = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  player->wakeupAndStop[kWakeup] = CreateSemaphoreW(nullptr, kBufferCount, kBufferCount, nullptr);
  player->freeBuffers = kBufferCount;
  if (!player->pool || !player->wakeupAndStop[kStop] || !player->wakeupAndStop[kWakeup])
    return 0;

  const std::vector<uint8_t> format = FormatForOpen(riff, chunks);
  if (OpenWaveOut(*player->api, &player->waveOut,
                  reinterpret_cast<const WAVEFORMATEX*>(format.data()),
                  DWORD_PTR(player.get()), DWORD_PTR(&WaveOutDone)) != 1)
    return 0;

  // Suspended until listed, so the worker can't leave the list before it is in it and a
  // stop issued right after this call reaches it.
  player->thread =
      CreateThread(nullptr, 0, &PlayerWorker, player.get(), CREATE_SUSPENDED, &player->threadId);
  if (!player->thread) return 0;

  WavPlayer* started = player.release();  // from here on the worker owns the player
  WorkerStarted();
  bool listed = false;
  {
    ScopedCritSec hold(*g_list.lock);
    try {
      g_list.players.push_back(started);
      listed = true;
    } catch (const std::bad_alloc&) {
    }
  }
  // An unlisted player can't be reached by a stop: it is told to stop at once, and its
  // worker still releases everything on its own thread.
  if (!listed) SetEvent(started->wakeupAndStop[kStop]);
  ResumeThread(started->thread);
  return listed ? 1 : 0;
}

DWORD WINAPI PlayerWorker(void* param) {
  WavPlayer* p = static_cast<WavPlayer*>(param);
  for (;;) {
    const DWORD woke = WaitForMultipleObjects(2, p->wakeupAndStop, FALSE, g_idleTimeout.load());
    if (woke == WAIT_OBJECT_0 + kStop || woke == WAIT_TIMEOUT) {
      // The reset hands every queued buffer back, so all can be unprepared.
      p->api->pause(p->waveOut);
      p->api->reset(p->waveOut);
      WaitForAllBuffersBack(*p, g_idleTimeout.load());
      UnprepareAll(*p);
      break;
    }
    if (woke != WAIT_OBJECT_0 + kWakeup) continue;
    if (ServeWakeup(*p) == Turn::kFinished) break;
  }
  LeaveList(p);
  WorkerDone();  // the last touch of the list; what follows is the worker's own
  ReleasePlayer(p);
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
  if (auto hook = g_bufferCountedHook.load()) hook();
  ReleaseSemaphore(p->wakeupAndStop[kWakeup], 1, nullptr);
}

int32_t SignalAllPlayers() {
  if (!g_list.lock) return 1;
  ScopedCritSec hold(*g_list.lock);
  for (WavPlayer* p : g_list.players) SetEvent(p->wakeupAndStop[kStop]);
  return 1;
}

void StopAllPlayers(int32_t wait) {
  if (!g_list.lock) return;
  if (!wait) {
    SignalAllPlayers();
    return;
  }
  // A worker closes its own thread handle on the way out, so the waiter takes its own
  // reference to every thread while the list still guarantees the handles are open.
  std::vector<UniqueHandle> threads;
  {
    ScopedCritSec hold(*g_list.lock);
    threads.reserve(g_list.players.size());
    const HANDLE self = GetCurrentProcess();
    for (WavPlayer* p : g_list.players) {
      HANDLE copy = nullptr;
      if (DuplicateHandle(self, p->thread, self, &copy, SYNCHRONIZE, FALSE, 0))
        threads.emplace_back(copy);
    }
  }
  SignalAllPlayers();
  for (const UniqueHandle& thread : threads) WaitForSingleObject(thread.get(), INFINITE);
}

void InitPlayerList() {
  if (!g_list.lock) g_list.lock.emplace();
}

void ShutdownPlayerList() {
  if (g_list.lock) {
    SignalAllPlayers();
    WaitForAllWorkers();
  }
  g_list.lock.reset();
  g_list.players = {};
}

int LivePlayerCount() {
  if (!g_list.lock) return 0;
  ScopedCritSec hold(*g_list.lock);
  return int(g_list.players.size());
}

void SetBufferCountedHookForTests(void (*hook)()) { g_bufferCountedHook.store(hook); }
long PlayersReleasedForTests() { return g_playersReleased.load(); }

void SetPlayerIdleTimeoutForTests(DWORD ms) {
  g_idleTimeout.store(ms ? ms : kPlayerIdleTimeoutMs);
}

}  // namespace board
