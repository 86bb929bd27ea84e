// The live WAV players of the process: the list in start order and its lock, the count of
// worker threads alive, and the players whose device kept buffers. The host owns one list;
// destroying it stops every player, waits for every worker and releases what the devices
// have given back.
#pragma once
#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "audio/win32/wav_player.h"
#include "base/win32/scoped_win.h"

namespace board {

class PlayerList {
 public:
  explicit PlayerList(const WaveOutApi& device = RealWaveOutApi());
  ~PlayerList();
  PlayerList(const PlayerList&) = delete;
  PlayerList& operator=(const PlayerList&) = delete;

  // Starts a player on in-memory RIFF/WAVE data; 1 when started, 0 when the data is refused
  // or a resource can't be had (then nothing is left behind). The caller may free the bytes
  // as soon as this returns.
  int32_t StartWavPlayer(std::span<const uint8_t> riff, bool loop);
  // Sets the stop event of every listed player; returns 1.
  int32_t SignalAllPlayers();
  // Asks every listed player to stop; with `wait` nonzero also waits, without limit, until
  // each player listed at the call has ended.
  void StopAllPlayers(int32_t wait);
  int LivePlayerCount();

  // Players whose device still held buffers when their stop's bounded wait ran out. Each is
  // kept, with its stream, pool and record, so that the device never writes into freed
  // memory; only its samples' copy, which the device never sees, is freed.
  int AbandonedPlayerCount();
  // Releases the abandoned players whose device has since given every buffer back; returns
  // how many are still kept.
  int ReclaimAbandoned();

  // From the worker's own thread, at its end: leaves the list and releases the player, or
  // keeps it when its device did not give every buffer back. Its last touch of the list.
  void PlayerEnded(std::unique_ptr<WavPlayer> player, bool allBuffersBack);

  // What tests and benchmarks change, only while no player is starting; a player keeps the
  // settings it started with.
  struct TestSeam {
    PlayerSettings settings;
    std::atomic<long> released{0};  // players whose worker has released them
  };
  TestSeam& testSeam() { return seam_; }

 private:
  void workerDone();
  void leave(WavPlayer* player);

  CritSec playerListLock_;  // guards players_, abandoned_ and lostAbandoned_
  std::vector<WavPlayer*> players_;   // start order
  std::list<std::unique_ptr<WavPlayer>> abandoned_;  // moved between lists without allocating
  int lostAbandoned_ = 0;  // kept, but no room to list them: never released

  // Workers alive, listed or not. The list goes only when this is back at 0, so no worker
  // can reach it afterwards: one that was never listed, or whose thread handle a waiting
  // stop could not take, is not waited for by thread handle.
  std::mutex workersMutex_;
  std::condition_variable noWorkers_;
  int workers_ = 0;

  TestSeam seam_;
};

}  // namespace board
