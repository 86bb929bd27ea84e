#include "tests/support/wave_in_recorder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace board::testing {

double NowMs() {
  static const double msPerTick = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return 1000.0 / double(f.QuadPart);
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return double(t.QuadPart) * msPerTick;
}

bool ScopedWaveIn::open(DWORD rate, HANDLE event, int buffers, int samplesPerBuffer) {
  reset();
  WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, rate, rate * 2, 2, 16, 0};
  if (waveInOpen(&in_, WAVE_MAPPER, &format, DWORD_PTR(event), 0, CALLBACK_EVENT) !=
      MMSYSERR_NOERROR) {
    in_ = nullptr;
    return false;
  }
  samples_.assign(size_t(buffers) * size_t(samplesPerBuffer), 0);
  headers_.assign(size_t(buffers), WAVEHDR{});
  for (int i = 0; i < buffers; ++i) {
    WAVEHDR& h = headers_[size_t(i)];
    h.lpData = reinterpret_cast<LPSTR>(&samples_[size_t(i) * size_t(samplesPerBuffer)]);
    h.dwBufferLength = DWORD(samplesPerBuffer) * 2;
    if (waveInPrepareHeader(in_, &h, sizeof(WAVEHDR)) != MMSYSERR_NOERROR ||
        waveInAddBuffer(in_, &h, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
      reset();
      return false;
    }
  }
  return true;
}

void ScopedWaveIn::reset() {
  if (!in_) return;
  waveInReset(in_);  // hands every queued buffer back
  for (WAVEHDR& h : headers_)
    if (h.dwFlags & WHDR_PREPARED) waveInUnprepareHeader(in_, &h, sizeof(WAVEHDR));
  waveInClose(in_);
  in_ = nullptr;
  headers_.clear();
  samples_.clear();
}

namespace {
constexpr DWORD kRate = 44100;
constexpr int kBlockSamples = kRate / 100;  // 10 ms
constexpr int kBuffers = 16;
}  // namespace

WaveInRecorder::~WaveInRecorder() {
  stopping_ = true;
  SetEvent(ready_.get());
  if (thread_.joinable()) thread_.join();
  in_.reset();  // before the events it signals go
}

bool WaveInRecorder::open() {
  if (!ready_ || !arrived_ || !in_.open(kRate, ready_.get(), kBuffers, kBlockSamples))
    return false;
  thread_ = std::thread([this] { collect(); });
  return waveInStart(in_.get()) == MMSYSERR_NOERROR;
}

void WaveInRecorder::collect() {
  int next = 0;
  while (!stopping_) {
    WaitForSingleObject(ready_.get(), 1000);
    while (!stopping_ && (in_.buffer(next).dwFlags & WHDR_DONE)) {
      WAVEHDR& h = in_.buffer(next);
      const auto* pcm = reinterpret_cast<const int16_t*>(h.lpData);
      const DWORD n = h.dwBytesRecorded / 2;
      int peak = 0;
      double sum = 0;
      for (DWORD i = 0; i < n; ++i) {
        peak = std::max(peak, std::abs(int(pcm[i])));
        sum += double(pcm[i]) * pcm[i];
      }
      {
        std::lock_guard<std::mutex> hold(mutex_);
        blocks_.push_back({NowMs(), peak, n ? std::sqrt(sum / double(n)) / 32768.0 : 0.0});
      }
      if (peak > loudest_.load()) loudest_.store(peak);  // this thread alone writes it
      ++blockCount_;
      SetEvent(arrived_.get());
      h.dwFlags &= ~DWORD(WHDR_DONE);
      waveInAddBuffer(in_.get(), &h, sizeof(WAVEHDR));
      next = (next + 1) % in_.bufferCount();
    }
  }
}

bool WaveInRecorder::waitLoud(int peak, DWORD ms) {
  const ULONGLONG deadline = GetTickCount64() + ms;
  while (loudest_.load() < peak || blockCount_.load() == 0) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return false;
    WaitForSingleObject(arrived_.get(), DWORD(deadline - now));
  }
  return true;
}

int WaveInRecorder::peakBetween(double fromMs, double toMs) {
  std::lock_guard<std::mutex> hold(mutex_);
  int peak = -1;
  for (const Block& b : blocks_)
    if (b.arrivedMs >= fromMs && b.arrivedMs <= toMs) peak = std::max(peak, b.peak);
  return peak;
}

std::vector<WaveInRecorder::Block> WaveInRecorder::blocks() {
  std::lock_guard<std::mutex> hold(mutex_);
  return blocks_;
}

}  // namespace board::testing
