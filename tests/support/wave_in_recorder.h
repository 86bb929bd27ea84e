// Listens to the speakers: records the default waveIn source (under the test script, the
// PulseAudio null sink's monitor) on a thread of its own. Shared by the Windows tests and the
// end-to-end probe.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "base/win32/scoped_win.h"

namespace board::testing {

// Milliseconds on the performance counter: the clock recorded blocks are placed on.
double NowMs();

// An open waveIn stream and the buffers prepared on it. The destructor resets the stream,
// unprepares every buffer and closes it; the event given to open() must outlive it.
class ScopedWaveIn {
 public:
  ScopedWaveIn() = default;
  ~ScopedWaveIn() { reset(); }
  ScopedWaveIn(const ScopedWaveIn&) = delete;
  ScopedWaveIn& operator=(const ScopedWaveIn&) = delete;

  // Opens the default source (16-bit mono) signalling `event` and queues `buffers` buffers of
  // `samplesPerBuffer` samples each. False when there is nothing to record from.
  bool open(DWORD rate, HANDLE event, int buffers, int samplesPerBuffer);
  HWAVEIN get() const { return in_; }
  int bufferCount() const { return int(headers_.size()); }
  WAVEHDR& buffer(int i) { return headers_[size_t(i)]; }
  void reset();

 private:
  HWAVEIN in_ = nullptr;
  std::vector<int16_t> samples_;
  std::vector<WAVEHDR> headers_;
};

// Records in 10 ms blocks and keeps each block's loudness with the time it arrived: the
// monitor may deliver nothing while the sink is idle, so only arrival times say when a block
// was heard.
class WaveInRecorder {
 public:
  struct Block {
    double arrivedMs;  // on NowMs()
    int peak;          // largest sample magnitude, full scale 32768
    double rms;        // full scale 1.0
  };

  WaveInRecorder() = default;
  ~WaveInRecorder();
  WaveInRecorder(const WaveInRecorder&) = delete;
  WaveInRecorder& operator=(const WaveInRecorder&) = delete;

  // Starts recording; false when there is nothing to record from.
  bool open();
  // open(), then waits for the first block (the first open of the source takes more than a
  // second under Wine).
  bool start() { return open() && waitLoud(0, 5000); }
  // Waits until a block at least `peak` loud has arrived (peak 0: any block).
  bool waitLoud(int peak, DWORD ms);
  // The loudest block that arrived in [fromMs, toMs], or -1 when none arrived.
  int peakBetween(double fromMs, double toMs);
  // Every block so far.
  std::vector<Block> blocks();

 private:
  void collect();

  // Declared before the stream: the device signals the event until the stream is closed.
  UniqueHandle ready_{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  UniqueHandle arrived_{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  ScopedWaveIn in_;
  std::thread thread_;
  std::atomic<bool> stopping_{false};
  std::atomic<int> loudest_{0};
  std::atomic<int> blockCount_{0};
  std::mutex mutex_;
  std::vector<Block> blocks_;
};

}  // namespace board::testing
