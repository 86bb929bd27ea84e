// Support for the audio tests and benchmark: RIFF/WAVE test data, counts of the process's
// handles and committed memory, and a fake waveOut device.
//
// The fake device sits behind the player's seam. It records every call per stream, keeps
// written headers queued and hands them back only when a test asks (calling the stored
// callback with WOM_DONE from the asking thread, as winmm calls from a thread of its own).
// It also checks the protocol a real device enforces and counts every breach as a fault.
// Thread-safe; it uses a slim lock and a condition variable, so it holds no kernel handles.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include <psapi.h>

#include "audio/win32/wave_out_api.h"

namespace board::testing {

enum class Call { kOpen, kPrepare, kUnprepare, kWrite, kDone, kPause, kReset, kClose };

struct Written {
  int header;             // index in the player's pool
  DWORD length;
  uint32_t startOffset;   // from the sample pattern: byte offset of the buffer's first byte
  bool patternIntact;     // every word follows on from the first
};

// A buffer a holding device keeps: where its header lies in the pool, and a copy of the
// header and of its bytes as they were written.
struct Held {
  int index;
  WAVEHDR header;
  std::vector<uint8_t> bytes;
};

struct FakeStream {
  DWORD_PTR callback = 0;
  DWORD_PTR instance = 0;
  std::vector<uint8_t> format;  // WAVEFORMATEX and its cbSize extra bytes, as passed
  std::vector<Call> calls;
  std::vector<Written> writes;
  std::deque<WAVEHDR*> queued;
  WAVEHDR* firstHeader = nullptr;  // header 0 of the pool: the first one written
  DWORD workerThread = 0;          // the thread that made the writes
  bool closed = false;
  std::vector<Held> held;  // in holding mode: each queued buffer as it was written
};

// Test samples: 32-bit words counting up, so each buffer says which bytes of the data it holds.
inline void FillPattern(uint8_t* out, size_t bytes, uint32_t fromOffset = 0) {
  for (size_t i = 0; i < bytes; ++i) {
    const uint32_t word = uint32_t((fromOffset + i) / 4);
    out[i] = uint8_t(word >> (8 * ((fromOffset + i) % 4)));
  }
}

// Open handles of this process. Wine's GetProcessHandleCount always says 0, so there the
// handle values are probed; Wine hands out the lowest free value, so the walk stops after a
// long run of unused ones.
inline DWORD OpenHandleCount() {
  DWORD count = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &count) && count > 0) return count;
  for (uintptr_t value = 4, unused = 0; unused < 2048; value += 4) {
    DWORD flags;
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
      ++count;
      unused = 0;
    } else {
      ++unused;
    }
  }
  return count;
}

// Private committed bytes. Wine reports PrivateUsage as 0 and keeps the figure in
// PagefileUsage.
inline size_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  K32GetProcessMemoryInfo(GetCurrentProcess(),
                          reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
  return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

// RIFF/WAVE bytes around `dataBytes` bytes of the counting pattern.
struct WavShape {
  uint32_t dataBytes = 1000;
  uint16_t channels = 1;
  uint32_t rate = 22050;
  uint16_t bits = 16;
  uint32_t fmtSize = 16;         // 16 (PCM) or more: cbSize and extra bytes follow
  uint16_t cbSize = 0;           // written when fmtSize >= 18
  bool dataFirst = false;        // "data" before "fmt "
  bool otherChunks = false;      // "LIST" and "fact" chunks between them
  uint32_t declaredData = 0;     // the "data" size written, when not 0
};

inline void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}
inline void PutU16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
inline void PutId(std::vector<uint8_t>& out, const char* id) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(id[i]));
}

inline std::vector<uint8_t> MakeWav(const WavShape& shape) {
  std::vector<uint8_t> fmt;
  const uint16_t align = uint16_t(shape.channels * shape.bits / 8);
  PutU16(fmt, 1);
  PutU16(fmt, shape.channels);
  PutU32(fmt, shape.rate);
  PutU32(fmt, shape.rate * align);
  PutU16(fmt, align);
  PutU16(fmt, shape.bits);
  if (shape.fmtSize >= 18) PutU16(fmt, shape.cbSize);
  fmt.resize(shape.fmtSize, 0);

  std::vector<uint8_t> out;
  PutId(out, "RIFF");
  PutU32(out, 0);
  PutId(out, "WAVE");
  auto chunk = [&](const char* id, uint32_t size, const uint8_t* body, size_t bodyBytes) {
    PutId(out, id);
    PutU32(out, size);
    out.insert(out.end(), body, body + bodyBytes);
  };
  std::vector<uint8_t> samples(shape.dataBytes);
  FillPattern(samples.data(), samples.size());
  const uint32_t declared = shape.declaredData ? shape.declaredData : shape.dataBytes;
  const uint8_t other[8] = {};
  if (shape.dataFirst) {
    chunk("data", declared, samples.data(), samples.size());
    if (shape.otherChunks) chunk("LIST", 8, other, 8), chunk("fact", 4, other, 4);
    chunk("fmt ", uint32_t(fmt.size()), fmt.data(), fmt.size());
  } else {
    chunk("fmt ", uint32_t(fmt.size()), fmt.data(), fmt.size());
    if (shape.otherChunks) chunk("LIST", 8, other, 8), chunk("fact", 4, other, 4);
    chunk("data", declared, samples.data(), samples.size());
  }
  const uint32_t riffSize = uint32_t(out.size() - 8);
  std::memcpy(out.data() + 4, &riffSize, 4);
  return out;
}

// State shared with other threads: changed under a slim lock, waited for with a condition
// variable (neither holds a kernel handle, so handle counts stay exact).
template <typename Self>
class Watched {
 public:
  // Waits, at most `ms`, until `ready(self)` holds; the check runs under the lock.
  template <typename Ready>
  bool waitUntil(Ready ready, DWORD ms) {
    const ULONGLONG deadline = GetTickCount64() + ms;
    Locked hold(this);
    while (!ready(static_cast<Self&>(*this))) {
      const ULONGLONG now = GetTickCount64();
      if (now >= deadline) return false;
      SleepConditionVariableSRW(&changed_, &lock_, DWORD(deadline - now), 0);
    }
    return true;
  }

 protected:
  class Locked {
   public:
    explicit Locked(Watched* w) : w_(w) { AcquireSRWLockExclusive(&w_->lock_); }
    ~Locked() {
      WakeAllConditionVariable(&w_->changed_);
      ReleaseSRWLockExclusive(&w_->lock_);
    }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

   private:
    Watched* w_;
  };

 private:
  SRWLOCK lock_ = SRWLOCK_INIT;
  CONDITION_VARIABLE changed_ = CONDITION_VARIABLE_INIT;
};

class FakeWaveOut : public Watched<FakeWaveOut> {
 public:
  static FakeWaveOut& Instance() {
    static FakeWaveOut fake;
    return fake;
  }
  const WaveOutApi* api() const { return &kApi; }

  // Forgets every stream and setting. Only while no player uses the fake.
  void Reset() {
    Locked hold(this);
    streams_.clear();
    faults_.clear();
    numDevs_ = 1;
    failOpen_ = false;
    hold_ = false;
    gate_ = nullptr;
    gated_ = 0;
  }
  void SetNumDevs(UINT n) {
    Locked hold(this);
    numDevs_ = n;
  }
  void SetFailOpen(bool fail) {
    Locked hold(this);
    failOpen_ = fail;
  }
  // A holding device hands nothing back on reset and refuses to close while it holds
  // buffers, as a stuck driver would; it remembers what it holds to check it stays intact.
  void SetHold(bool hold) {
    Locked lock(this);
    hold_ = hold;
  }
  // True while every buffer stream `id` holds is still the live memory it was written from:
  // the pool is still a heap block in use, and each header and its bytes are unchanged.
  bool heldIntact(int id) {
    Locked hold(this);
    if (id >= int(streams_.size())) return false;
    const FakeStream& s = *streams_[size_t(id)];
    if (s.held.empty()) return true;
    if (!HeapValidate(GetProcessHeap(), 0, s.firstHeader)) return false;
    for (const Held& h : s.held) {
      const WAVEHDR& now = s.firstHeader[h.index];
      if (now.lpData != h.header.lpData || now.dwBufferLength != h.header.dwBufferLength ||
          !(now.dwFlags & WHDR_INQUEUE) ||
          std::memcmp(now.lpData, h.bytes.data(), h.bytes.size()) != 0)
        return false;
    }
    return true;
  }
  // While `gate` is set and clear, every call of kind `which` (kPause or kUnprepare) blocks
  // until the event is set (up to 10 s). `gated()` counts the calls that reached it.
  void SetGate(Call which, HANDLE gate) {
    Locked hold(this);
    gatedCall_ = which;
    gate_ = gate;
    gated_ = 0;
  }

  int streamCount() {
    Locked hold(this);
    return int(streams_.size());
  }
  // A copy of stream `id` (0-based, in open order).
  FakeStream stream(int id) {
    Locked hold(this);
    return id < int(streams_.size()) ? *streams_[size_t(id)] : FakeStream{};
  }
  std::vector<std::string> faults() {
    Locked hold(this);
    return faults_;
  }

  // For waitUntil checks only (they run under the lock).
  size_t writesOf(int id) const { return id < int(streams_.size()) ? streams_[size_t(id)]->writes.size() : 0; }
  size_t queuedOf(int id) const { return id < int(streams_.size()) ? streams_[size_t(id)]->queued.size() : 0; }
  bool closedOf(int id) const { return id < int(streams_.size()) && streams_[size_t(id)]->closed; }
  int opened() const { return int(streams_.size()); }
  int gated() const { return gated_; }
  bool allClosed() const {
    for (const auto& s : streams_)
      if (!s->closed) return false;
    return true;
  }

  // Hands back the `n` oldest queued buffers of stream `id`; returns how many it had.
  int returnOldest(int id, int n = 1) {
    int done = 0;
    for (; done < n; ++done) {
      WAVEHDR* header = nullptr;
      DWORD_PTR callback = 0, instance = 0;
      {
        Locked hold(this);
        if (id >= int(streams_.size()) || streams_[size_t(id)]->queued.empty()) break;
        FakeStream& s = *streams_[size_t(id)];
        header = s.queued.front();
        s.queued.pop_front();
        std::erase_if(s.held, [&](const Held& h) { return h.index == header - s.firstHeader; });
        header->dwFlags = (header->dwFlags & ~DWORD(WHDR_INQUEUE)) | WHDR_DONE;
        s.calls.push_back(Call::kDone);
        callback = s.callback;
        instance = s.instance;
      }
      Deliver(callback, id, instance, header);
    }
    return done;
  }

 private:
  static int IdOf(HWAVEOUT h) { return int(reinterpret_cast<uintptr_t>(h)) - 1; }
  static void Deliver(DWORD_PTR callback, int id, DWORD_PTR instance, WAVEHDR* header) {
    using Callback = void(CALLBACK*)(HWAVEOUT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR);
    reinterpret_cast<Callback>(callback)(reinterpret_cast<HWAVEOUT>(uintptr_t(id + 1)), WOM_DONE,
                                         instance, DWORD_PTR(header), 0);
  }
  // The stream of a call, or null (and a fault) for a handle the fake never gave out.
  FakeStream* Find(HWAVEOUT h, Call call) {
    const int id = IdOf(h);
    if (id < 0 || id >= int(streams_.size()) || streams_[size_t(id)]->closed) {
      faults_.push_back("call on a bad or closed stream");
      return nullptr;
    }
    FakeStream* s = streams_[size_t(id)].get();
    s->calls.push_back(call);
    return s;
  }
  void Fault(const char* what) { faults_.push_back(what); }

  static UINT WINAPI GetNumDevs() {
    Locked hold(&Instance());
    return Instance().numDevs_;
  }
  static MMRESULT WINAPI Open(LPHWAVEOUT out, UINT device, LPCWAVEFORMATEX format,
                              DWORD_PTR callback, DWORD_PTR instance, DWORD flags) {
    FakeWaveOut& f = Instance();
    Locked hold(&f);
    if (device != WAVE_MAPPER || flags != CALLBACK_FUNCTION) f.Fault("open: not the mapper with a function callback");
    if (f.numDevs_ == 0) return MMSYSERR_NODRIVER;
    if (f.failOpen_) return WAVERR_BADFORMAT;
    auto s = std::make_unique<FakeStream>();
    s->callback = callback;
    s->instance = instance;
    const uint8_t* raw = reinterpret_cast<const uint8_t*>(format);
    s->format.assign(raw, raw + sizeof(WAVEFORMATEX) + format->cbSize);
    s->calls.push_back(Call::kOpen);
    f.streams_.push_back(std::move(s));
    *out = reinterpret_cast<HWAVEOUT>(uintptr_t(f.streams_.size()));
    return MMSYSERR_NOERROR;
  }
  static MMRESULT WINAPI Prepare(HWAVEOUT h, LPWAVEHDR header, UINT size) {
    FakeWaveOut& f = Instance();
    Locked hold(&f);
    if (!f.Find(h, Call::kPrepare)) return MMSYSERR_INVALHANDLE;
    if (size != sizeof(WAVEHDR)) f.Fault("prepare: wrong header size");
    if (header->dwFlags & (WHDR_PREPARED | WHDR_INQUEUE)) f.Fault("prepare: header not clean");
    header->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
  }
  static MMRESULT WINAPI Unprepare(HWAVEOUT h, LPWAVEHDR header, UINT size) {
    FakeWaveOut& f = Instance();
    {
      Locked hold(&f);
      if (!f.Find(h, Call::kUnprepare)) return MMSYSERR_INVALHANDLE;
    }
    f.PassGate(Call::kUnprepare);
    Locked hold(&f);
    if (size != sizeof(WAVEHDR)) f.Fault("unprepare: wrong header size");
    if (header->dwFlags & WHDR_INQUEUE) {
      if (!f.hold_) f.Fault("unprepare: header still queued");
      return WAVERR_STILLPLAYING;
    }
    header->dwFlags &= ~DWORD(WHDR_PREPARED);
    return MMSYSERR_NOERROR;
  }
  static MMRESULT WINAPI Write(HWAVEOUT h, LPWAVEHDR header, UINT size) {
    FakeWaveOut& f = Instance();
    Locked hold(&f);
    FakeStream* s = f.Find(h, Call::kWrite);
    if (!s) return MMSYSERR_INVALHANDLE;
    if (size != sizeof(WAVEHDR)) f.Fault("write: wrong header size");
    if (!(header->dwFlags & WHDR_PREPARED)) {
      f.Fault("write: header not prepared");
      return WAVERR_UNPREPARED;
    }
    if (!s->firstHeader) s->firstHeader = header;
    s->workerThread = GetCurrentThreadId();
    Written w{int(header - s->firstHeader), header->dwBufferLength, 0, true};
    const auto* bytes = reinterpret_cast<const uint8_t*>(header->lpData);
    if (w.length >= 4) {
      uint32_t first;
      std::memcpy(&first, bytes, 4);
      w.startOffset = first * 4;
      for (DWORD i = 4; i + 4 <= w.length && w.patternIntact; i += 4) {
        uint32_t word;
        std::memcpy(&word, bytes + i, 4);
        w.patternIntact = word == first + i / 4;
      }
    }
    s->writes.push_back(w);
    header->dwFlags = (header->dwFlags & ~DWORD(WHDR_DONE)) | WHDR_INQUEUE;
    if (f.hold_) s->held.push_back({w.header, *header, {bytes, bytes + w.length}});
    s->queued.push_back(header);
    return MMSYSERR_NOERROR;
  }
  static MMRESULT WINAPI Pause(HWAVEOUT h) {
    FakeWaveOut& f = Instance();
    {
      Locked hold(&f);
      if (!f.Find(h, Call::kPause)) return MMSYSERR_INVALHANDLE;
    }
    f.PassGate(Call::kPause);
    return MMSYSERR_NOERROR;
  }
  // Blocks at the test's gate, outside the lock, so the test can go on driving the device.
  void PassGate(Call call) {
    HANDLE gate;
    {
      Locked hold(this);
      if (gatedCall_ != call || !gate_) return;
      gate = gate_;
      ++gated_;
    }
    if (WaitForSingleObject(gate, 10000) != WAIT_OBJECT_0) {
      Locked hold(this);
      Fault("the test never opened its gate");
    }
  }
  // Like winmm, every queued buffer comes back done before the reset returns.
  static MMRESULT WINAPI ResetStream(HWAVEOUT h) {
    FakeWaveOut& f = Instance();
    {
      Locked hold(&f);
      if (!f.Find(h, Call::kReset)) return MMSYSERR_INVALHANDLE;
    }
    bool hold;
    {
      Locked lock(&f);
      hold = f.hold_;
    }
    if (!hold) f.returnOldest(IdOf(h), kBufferLimit);
    return MMSYSERR_NOERROR;
  }
  static MMRESULT WINAPI Close(HWAVEOUT h) {
    FakeWaveOut& f = Instance();
    Locked hold(&f);
    FakeStream* s = f.Find(h, Call::kClose);
    if (!s) return MMSYSERR_INVALHANDLE;
    if (!s->queued.empty()) {
      if (!f.hold_) f.Fault("close: buffers still queued");
      return WAVERR_STILLPLAYING;
    }
    s->closed = true;
    return MMSYSERR_NOERROR;
  }

  static constexpr int kBufferLimit = 1 << 20;
  static constexpr WaveOutApi kApi{&GetNumDevs, &Open,  &Prepare,     &Unprepare,
                                   &Write,      &Pause, &ResetStream, &Close};

  std::vector<std::unique_ptr<FakeStream>> streams_;
  std::vector<std::string> faults_;
  UINT numDevs_ = 1;
  bool failOpen_ = false;
  bool hold_ = false;
  Call gatedCall_ = Call::kPause;
  HANDLE gate_ = nullptr;
  int gated_ = 0;
};

// Passes every call on to another table (winmm or the fake) and notes the opens, the closes
// and the time of every write (QueryPerformanceCounter ticks).
class DeviceSpy : public Watched<DeviceSpy> {
 public:
  static DeviceSpy& Instance() {
    static DeviceSpy spy;
    return spy;
  }
  // Starts a fresh record; only while no player uses the spy.
  const WaveOutApi* wrap(const WaveOutApi* inner) {
    Locked hold(this);
    inner_ = inner;
    opens_ = closes_ = streamsWritten_ = 0;
    writeTimes_.clear();
    unwritten_.clear();
    writeTimes_.reserve(1 << 16);  // no growth while memory is being measured
    unwritten_.reserve(256);
    return &kApi;
  }
  int opens() {
    Locked hold(this);
    return opens_;
  }
  // For waitUntil checks only (they run under the lock).
  int opened() const { return opens_; }
  int closed() const { return closes_; }
  size_t written() const { return writeTimes_.size(); }
  // How long the last successful or failed open took, in QueryPerformanceCounter ticks.
  LONGLONG lastOpenTicks() {
    Locked hold(this);
    return lastOpenTicks_;
  }
  LONGLONG lastWrite() const { return writeTimes_.empty() ? 0 : writeTimes_.back(); }
  // Streams that received at least one buffer.
  int streamsWritten() const { return streamsWritten_; }
  // The first write at or after `since`, or 0.
  LONGLONG firstWriteAfter(LONGLONG since) {
    Locked hold(this);
    for (LONGLONG t : writeTimes_)
      if (t >= since) return t;
    return 0;
  }

 private:
  static const WaveOutApi& Inner() { return *Instance().inner_; }
  static UINT WINAPI GetNumDevs() { return Inner().getNumDevs(); }
  static MMRESULT WINAPI Open(LPHWAVEOUT out, UINT device, LPCWAVEFORMATEX format,
                              DWORD_PTR callback, DWORD_PTR instance, DWORD flags) {
    LARGE_INTEGER before, after;
    QueryPerformanceCounter(&before);
    const MMRESULT r = Inner().open(out, device, format, callback, instance, flags);
    QueryPerformanceCounter(&after);
    Locked hold(&Instance());
    Instance().lastOpenTicks_ = after.QuadPart - before.QuadPart;
    if (r == MMSYSERR_NOERROR) {
      ++Instance().opens_;
      Instance().unwritten_.push_back(*out);
    }
    return r;
  }
  static MMRESULT WINAPI Prepare(HWAVEOUT h, LPWAVEHDR header, UINT size) {
    return Inner().prepareHeader(h, header, size);
  }
  static MMRESULT WINAPI Unprepare(HWAVEOUT h, LPWAVEHDR header, UINT size) {
    return Inner().unprepareHeader(h, header, size);
  }
  static MMRESULT WINAPI Write(HWAVEOUT h, LPWAVEHDR header, UINT size) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    {
      Locked hold(&Instance());
      DeviceSpy& spy = Instance();
      spy.writeTimes_.push_back(now.QuadPart);
      auto it = std::find(spy.unwritten_.begin(), spy.unwritten_.end(), h);
      if (it != spy.unwritten_.end()) {
        spy.unwritten_.erase(it);
        ++spy.streamsWritten_;
      }
    }
    return Inner().write(h, header, size);
  }
  static MMRESULT WINAPI Pause(HWAVEOUT h) { return Inner().pause(h); }
  static MMRESULT WINAPI ResetStream(HWAVEOUT h) { return Inner().reset(h); }
  static MMRESULT WINAPI Close(HWAVEOUT h) {
    const MMRESULT r = Inner().close(h);
    Locked hold(&Instance());
    ++Instance().closes_;
    auto& unwritten = Instance().unwritten_;
    unwritten.erase(std::remove(unwritten.begin(), unwritten.end(), h), unwritten.end());
    return r;
  }
  static constexpr WaveOutApi kApi{&GetNumDevs, &Open,  &Prepare,     &Unprepare,
                                   &Write,      &Pause, &ResetStream, &Close};

  const WaveOutApi* inner_ = nullptr;
  int opens_ = 0;
  int closes_ = 0;
  int streamsWritten_ = 0;
  LONGLONG lastOpenTicks_ = 0;
  std::vector<LONGLONG> writeTimes_;
  std::vector<HWAVEOUT> unwritten_;  // open streams still waiting for their first buffer
};

}  // namespace board::testing
