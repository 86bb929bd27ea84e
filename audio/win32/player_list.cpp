#include "audio/win32/player_list.h"

#include <algorithm>
#include <climits>
#include <new>

namespace board {

PlayerList::PlayerList(const WaveOutApi& device) { seam_.settings.device = &device; }

PlayerList::~PlayerList() {
  SignalAllPlayers();
  {
    std::unique_lock<std::mutex> hold(workersMutex_);
    noWorkers_.wait(hold, [this] { return workers_ == 0; });
  }
  ReclaimAbandoned();
  // What is still kept, its device still holds: it is never freed under the device, and
  // its late callbacks reach only its own record, not this list.
  for (auto& player : abandoned_) (void)player.release();
}

int32_t PlayerList::StartWavPlayer(std::span<const uint8_t> riff, bool loop) {
  // Sizes and positions are 32-bit, as in the data's own chunk headers.
  if (riff.size() < 36 || riff.size() > size_t(INT32_MAX)) return 0;
  std::unique_ptr<WavPlayer> player = PrepareWavPlayer(riff, loop, seam_.settings, this);
  if (!player) return 0;
  {
    std::lock_guard<std::mutex> hold(workersMutex_);
    ++workers_;
  }
  WavPlayer* started = player.release();  // from here on the worker owns the player
  bool listed = false;
  {
    ScopedCritSec hold(playerListLock_);
    try {
      players_.push_back(started);
      listed = true;
    } catch (const std::bad_alloc&) {
    }
  }
  // An unlisted player can't be reached by a stop: it is told to stop at once, and its
  // worker still releases everything on its own thread.
  if (!listed) SetEvent(started->stop.get());
  ResumeThread(started->thread.get());
  return listed ? 1 : 0;
}

int32_t PlayerList::SignalAllPlayers() {
  ScopedCritSec hold(playerListLock_);
  for (WavPlayer* p : players_) SetEvent(p->stop.get());
  return 1;
}

void PlayerList::StopAllPlayers(int32_t wait) {
  if (!wait) {
    SignalAllPlayers();
    return;
  }
  // A worker closes its own thread handle on the way out, so the waiter takes its own
  // reference to every thread while the list still guarantees the handles are open.
  std::vector<UniqueHandle> threads;
  {
    ScopedCritSec hold(playerListLock_);
    threads.reserve(players_.size());
    const HANDLE self = GetCurrentProcess();
    for (WavPlayer* p : players_) {
      HANDLE copy = nullptr;
      if (DuplicateHandle(self, p->thread.get(), self, &copy, SYNCHRONIZE, FALSE, 0))
        threads.emplace_back(copy);
    }
  }
  SignalAllPlayers();
  for (const UniqueHandle& thread : threads) WaitForSingleObject(thread.get(), INFINITE);
}

int PlayerList::LivePlayerCount() {
  ScopedCritSec hold(playerListLock_);
  return int(players_.size());
}

int PlayerList::AbandonedPlayerCount() {
  ScopedCritSec hold(playerListLock_);
  return int(abandoned_.size()) + lostAbandoned_;
}

int PlayerList::ReclaimAbandoned() {
  std::list<std::unique_ptr<WavPlayer>> kept;
  {
    ScopedCritSec hold(playerListLock_);
    kept.splice(kept.end(), abandoned_);
  }
  // Outside the lock: no lock is held across a waveOut call.
  std::erase_if(kept, [](const std::unique_ptr<WavPlayer>& p) { return CloseWhenAllBack(*p); });
  ScopedCritSec hold(playerListLock_);
  abandoned_.splice(abandoned_.end(), kept);
  return int(abandoned_.size()) + lostAbandoned_;
}

void PlayerList::leave(WavPlayer* player) {
  ScopedCritSec hold(playerListLock_);
  auto it = std::find(players_.begin(), players_.end(), player);
  if (it != players_.end()) players_.erase(it);
}

void PlayerList::PlayerEnded(std::unique_ptr<WavPlayer> player, bool allBuffersBack) {
  leave(player.get());
  if (allBuffersBack) {
    player.reset();
    ++seam_.released;
  } else {
    player->data.reset();  // the device never reads the samples' copy
    ScopedCritSec hold(playerListLock_);
    try {
      abandoned_.push_back(std::move(player));
    } catch (const std::bad_alloc&) {
      (void)player.release();
      ++lostAbandoned_;
    }
  }
  workerDone();  // the last touch of the list
}

void PlayerList::workerDone() {
  std::lock_guard<std::mutex> hold(workersMutex_);
  if (--workers_ == 0) noWorkers_.notify_all();
}

}  // namespace board
