// A fake MIDI stream device for the MIDI player's tests and benchmark.
//
// It sits behind the player's seam and records every call per stream. Sent buffers stay
// queued until a test hands them back (or, in pump mode, until its thread takes them), and
// every callback comes from the fake's own delivery thread, as winmm calls from a thread of
// its own: first MOM_POSITIONCB for each event flagged for callback, then MOM_DONE. Stop
// and reset hand every queued buffer back the same way; a deaf device drops them instead, and
// a holding device keeps them and refuses to close until it has handed them back.
// Breaches of the protocol a real device enforces count as faults, and so does any call
// other than midiStreamOut made on the delivery thread.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "audio/midi_stream_writer.h"
#include "audio/win32/midi_stream_api.h"
#include "tests/wine/wave_test_support.h"

namespace board::testing {

enum class MidiCall { kOpen, kProperty, kPrepare, kUnprepare, kOut, kRestart, kStop, kReset, kClose };

struct MidiOut {
  const MIDIHDR* header;
  std::vector<StreamEvent> events;
};

// A buffer a holding device keeps: a copy of its header and of its events as sent.
struct HeldMidi {
  const MIDIHDR* header;
  MIDIHDR copy;
  std::vector<uint8_t> bytes;
};

struct FakeMidiStreamRecord {
  DWORD_PTR callback = 0;
  DWORD_PTR instance = 0;
  std::vector<MidiCall> calls;
  std::vector<MidiOut> outs;
  std::deque<MIDIHDR*> queued;
  uint32_t timeDivision = 0;
  int prepared = 0;  // headers prepared and not unprepared
  bool running = false;
  bool closed = false;
  std::vector<HeldMidi> held;  // in holding mode: each queued buffer as it was sent
};

class FakeMidiStream : public Watched<FakeMidiStream> {
 public:
  static FakeMidiStream& Instance() {
    static FakeMidiStream* fake = new FakeMidiStream;  // its thread lives as long as the process
    return *fake;
  }
  const MidiStreamApi* api() const { return &kApi; }

  // Forgets every stream and setting; only while no player uses the fake.
  void Reset() {
    Locked hold(this);
    streams_.clear();
    faults_.clear();
    deliveries_.clear();
    failOpen_ = deaf_ = hold_ = pump_ = false;
  }
  void SetFailOpen(bool fail) { Locked hold(this); failOpen_ = fail; }
  // A deaf device never hands a buffer back on stop or reset.
  void SetDeaf(bool deaf) { Locked hold(this); deaf_ = deaf; }
  // A holding device gives nothing back on stop or reset and refuses to close while it
  // still has buffers, until handBack.
  void SetHold(bool hold) { Locked lock(this); hold_ = hold; }
  // True while every buffer stream `id` holds still has the header and events it was sent with.
  bool heldIntact(int id) {
    Locked hold(this);
    if (!valid(id)) return false;
    for (const HeldMidi& h : streams_[size_t(id)]->held) {
      const MIDIHDR& now = *h.header;
      if (now.lpData != h.copy.lpData || now.dwBufferLength != h.copy.dwBufferLength ||
          now.dwBytesRecorded != h.copy.dwBytesRecorded || !(now.dwFlags & MHDR_INQUEUE) ||
          std::memcmp(now.lpData, h.bytes.data(), h.bytes.size()) != 0)
        return false;
    }
    return true;
  }
  // Hands back, late, every buffer stream `id` kept; returns how many.
  int handBack(int id) {
    Locked hold(this);
    return valid(id) ? giveBack(id, 1 << 20) : 0;
  }
  // In pump mode the delivery thread hands back every buffer of a running stream at once.
  void SetPump(bool pump) { Locked hold(this); pump_ = pump; }

  int streamCount() {
    Locked hold(this);
    return int(streams_.size());
  }
  FakeMidiStreamRecord stream(int id) {
    Locked hold(this);
    return id < int(streams_.size()) ? *streams_[size_t(id)] : FakeMidiStreamRecord{};
  }
  std::vector<std::string> faults() {
    Locked hold(this);
    return faults_;
  }
  // For waitUntil checks only (they run under the lock).
  int opened() const { return int(streams_.size()); }
  size_t outsOf(int id) const { return valid(id) ? streams_[size_t(id)]->outs.size() : 0; }
  size_t queuedOf(int id) const { return valid(id) ? streams_[size_t(id)]->queued.size() : 0; }
  bool closedOf(int id) const { return valid(id) && streams_[size_t(id)]->closed; }
  bool idle() const { return deliveries_.empty() && !delivering_; }

  // Hands back the `n` oldest buffers of running stream `id` through the delivery thread;
  // returns how many were queued for return.
  int returnOldest(int id, int n = 1) {
    Locked hold(this);
    if (!valid(id) || !streams_[size_t(id)]->running) return 0;
    return giveBack(id, n);
  }

 private:
  struct Delivery {
    int id;
    MIDIHDR* header;
  };

  FakeMidiStream() { CreateThread(nullptr, 0, &DeliveryThread, this, 0, &deliveryThread_); }

  bool valid(int id) const { return id >= 0 && id < int(streams_.size()); }
  static int IdOf(const void* h) { return int(reinterpret_cast<uintptr_t>(h)) - 1; }
  // Under the lock.
  int giveBack(int id, int n) {
    FakeMidiStreamRecord& s = *streams_[size_t(id)];
    int given = 0;
    for (; given < n && !s.queued.empty(); ++given) {
      deliveries_.push_back({id, s.queued.front()});
      std::erase_if(s.held, [&](const HeldMidi& h) { return h.header == s.queued.front(); });
      s.queued.pop_front();
    }
    return given;
  }
  void Fault(const std::string& what) { faults_.push_back(what); }
  // The stream of a call, or null (and a fault) for a handle that is bad or closed.
  FakeMidiStreamRecord* Find(const void* h, MidiCall call, const char* name) {
    if (GetCurrentThreadId() == deliveryThread_ && call != MidiCall::kOut)
      Fault(std::string(name) + " called on the callback thread");
    const int id = IdOf(h);
    if (!valid(id) || streams_[size_t(id)]->closed) {
      Fault(std::string(name) + " on a bad or closed stream");
      return nullptr;
    }
    streams_[size_t(id)]->calls.push_back(call);
    return streams_[size_t(id)].get();
  }

  static DWORD WINAPI DeliveryThread(void* param) {
    auto& f = *static_cast<FakeMidiStream*>(param);
    for (;;) {
      f.waitUntil([](FakeMidiStream& s) { return !s.deliveries_.empty() || s.pumpable(); }, 5);
      Delivery d{};
      DWORD_PTR callback = 0, instance = 0;
      {
        Locked hold(&f);
        if (f.deliveries_.empty()) {
          if (!f.pump_) continue;
          for (int id = 0; id < int(f.streams_.size()); ++id)
            if (f.streams_[size_t(id)]->running) f.giveBack(id, 2);
          if (f.deliveries_.empty()) continue;
        }
        d = f.deliveries_.front();
        f.deliveries_.pop_front();
        FakeMidiStreamRecord& s = *f.streams_[size_t(d.id)];
        if (s.closed) continue;
        callback = s.callback;
        instance = s.instance;
        d.header->dwFlags = (d.header->dwFlags & ~DWORD(MHDR_INQUEUE)) | MHDR_DONE;
        f.delivering_ = true;
      }
      using Callback = void(CALLBACK*)(HMIDIOUT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR);
      const auto call = reinterpret_cast<Callback>(callback);
      const auto handle = reinterpret_cast<HMIDIOUT>(uintptr_t(d.id + 1));
      const auto* bytes = reinterpret_cast<const uint8_t*>(d.header->lpData);
      for (DWORD at = 0; at + kStreamEventBytes <= d.header->dwBytesRecorded; at += kStreamEventBytes) {
        uint32_t word;
        std::memcpy(&word, bytes + at + 8, 4);
        if (!(word & kMevtFCallback)) continue;
        d.header->dwOffset = at;
        call(handle, MOM_POSITIONCB, instance, DWORD_PTR(d.header), 0);
      }
      call(handle, MOM_DONE, instance, DWORD_PTR(d.header), 0);
      Locked hold(&f);
      f.delivering_ = false;
    }
  }
  bool pumpable() const {
    if (!pump_) return false;
    for (const auto& s : streams_)
      if (s->running && !s->queued.empty()) return true;
    return false;
  }

  static MMRESULT WINAPI Open(LPHMIDISTRM out, LPUINT device, DWORD count, DWORD_PTR callback,
                              DWORD_PTR instance, DWORD flags) {
    FakeMidiStream& f = Instance();
    Locked hold(&f);
    if (GetCurrentThreadId() == f.deliveryThread_) f.Fault("open called on the callback thread");
    if (!device || *device != MIDI_MAPPER || count != 1 || flags != CALLBACK_FUNCTION || !instance)
      f.Fault("open: not the mapper with a function callback and an instance");
    if (f.failOpen_) return MMSYSERR_NODRIVER;
    auto s = std::make_unique<FakeMidiStreamRecord>();
    s->callback = callback;
    s->instance = instance;
    s->calls.push_back(MidiCall::kOpen);
    f.streams_.push_back(std::move(s));
    *out = reinterpret_cast<HMIDISTRM>(uintptr_t(f.streams_.size()));
    return MMSYSERR_NOERROR;
  }
  static MMRESULT WINAPI Property(HMIDISTRM h, LPBYTE data, DWORD property) {
    FakeMidiStream& f = Instance();
    Locked hold(&f);
    FakeMidiStreamRecord* s = f.Find(h, MidiCall::kProperty, "property");
    if (!s) return MMSYSERR_INVALHANDLE;
    const auto* division = reinterpret_cast<const MIDIPROPTIMEDIV*>(data);
    if (property != (MIDIPROP_SET | MIDIPROP_TIMEDIV) || division->cbStruct != sizeof(MIDIPROPTIMEDIV))
      f.Fault("property: not a time division of 8 bytes");
    s->timeDivision = division->dwTimeDiv;
    return MMSYSERR_NOERROR;
  }
  static MMRESULT WINAPI Prepare(HMIDIOUT h, LPMIDIHDR header, UINT size) {
    FakeMidiStream& f = Instance();
    Locked hold(&f);
    FakeMidiStreamRecord* s = f.Find(h, MidiCall::kPrepare, "prepare");
    if (!s) return MMSYSERR_INVALHANDLE;
    if (size != sizeof(MIDIHDR)) f.Fault("prepare: wrong header size");
    if (header->dwFlags & (MHDR_PREPARED | MHDR_INQUEUE)) f.Fault("prepare: header not clean");
    if (!header->lpData || header->dwBufferLength != kStreamBufferBytes) f.Fault("prepare: not a 1,024-byte block");
    header->dwFlags |= MHDR_PREPARED;
    ++s->prepared;
    return MMSYSERR_NOERROR;
  }
  static MMRESULT WINAPI Unprepare(HMIDIOUT h, LPMIDIHDR header, UINT size) {
    FakeMidiStream& f = Instance();
    Locked hold(&f);
    FakeMidiStreamRecord* s = f.Find(h, MidiCall::kUnprepare, "unprepare");
    if (!s) return MMSYSERR_INVALHANDLE;
    if (size != sizeof(MIDIHDR)) f.Fault("unprepare: wrong header size");
    if (header->dwFlags & MHDR_INQUEUE) {
      if (!f.deaf_ && !f.hold_) f.Fault("unprepare: header still queued");
      return MIDIERR_STILLPLAYING;
    }
    if (header->dwFlags & MHDR_PREPARED) --s->prepared;
    header->dwFlags &= ~DWORD(MHDR_PREPARED);
    return MMSYSERR_NOERROR;
  }
  static MMRESULT WINAPI Out(HMIDISTRM h, LPMIDIHDR header, UINT size) {
    FakeMidiStream& f = Instance();
    Locked hold(&f);
    FakeMidiStreamRecord* s = f.Find(h, MidiCall::kOut, "out");
    if (!s) return MMSYSERR_INVALHANDLE;
    if (size != sizeof(MIDIHDR)) f.Fault("out: wrong header size");
    if (!(header->dwFlags & MHDR_PREPARED)) {
      f.Fault("out: header not prepared");
      return MIDIERR_UNPREPARED;
    }
    if (header->dwFlags & MHDR_INQUEUE) f.Fault("out: header already queued");
    if (header->dwBytesRecorded > header->dwBufferLength || header->dwBytesRecorded % kStreamEventBytes)
      f.Fault("out: byte count not whole events within the block");
    s->outs.push_back({header, ReadStreamEvents(reinterpret_cast<const uint8_t*>(header->lpData),
                                                header->dwBytesRecorded)});
    header->dwFlags = (header->dwFlags & ~DWORD(MHDR_DONE)) | MHDR_INQUEUE;
    s->queued.push_back(header);
    if (f.hold_) {
      const auto* bytes = reinterpret_cast<const uint8_t*>(header->lpData);
      s->held.push_back({header, *header, {bytes, bytes + header->dwBytesRecorded}});
    }
    return MMSYSERR_NOERROR;
  }
  static MMRESULT WINAPI Restart(HMIDISTRM h) {
    FakeMidiStream& f = Instance();
    Locked hold(&f);
    FakeMidiStreamRecord* s = f.Find(h, MidiCall::kRestart, "restart");
    if (!s) return MMSYSERR_INVALHANDLE;
    s->running = true;
    return MMSYSERR_NOERROR;
  }
  // Stop and reset both hand every queued buffer back, unless the device is deaf.
  static MMRESULT WINAPI Stop(HMIDISTRM h) { return Halt(h, MidiCall::kStop, "stop"); }
  static MMRESULT WINAPI ResetStream(HMIDIOUT h) { return Halt(h, MidiCall::kReset, "reset"); }
  static MMRESULT Halt(const void* h, MidiCall call, const char* name) {
    FakeMidiStream& f = Instance();
    Locked hold(&f);
    FakeMidiStreamRecord* s = f.Find(h, call, name);
    if (!s) return MMSYSERR_INVALHANDLE;
    s->running = false;
    if (!f.deaf_ && !f.hold_) f.giveBack(IdOf(h), 2);
    return MMSYSERR_NOERROR;
  }
  static MMRESULT WINAPI Close(HMIDISTRM h) {
    FakeMidiStream& f = Instance();
    Locked hold(&f);
    FakeMidiStreamRecord* s = f.Find(h, MidiCall::kClose, "close");
    if (!s) return MMSYSERR_INVALHANDLE;
    if (f.deaf_) {
      // A deaf device forgets what it kept.
      for (MIDIHDR* header : s->queued) header->dwFlags &= ~DWORD(MHDR_INQUEUE);
      s->queued.clear();
      s->prepared = 0;
    }
    if (!s->queued.empty()) {
      if (!f.hold_) f.Fault("close: buffers still queued");
      return MIDIERR_STILLPLAYING;
    }
    if (s->prepared != 0) f.Fault("close: headers still prepared");
    s->closed = true;
    s->running = false;
    return MMSYSERR_NOERROR;
  }

  static constexpr MidiStreamApi kApi{&Open, &Close, &Property, &Out, &Restart,
                                      &Stop, &ResetStream, &Prepare, &Unprepare};

  std::vector<std::unique_ptr<FakeMidiStreamRecord>> streams_;
  std::vector<std::string> faults_;
  std::deque<Delivery> deliveries_;
  DWORD deliveryThread_ = 0;
  bool delivering_ = false;
  bool failOpen_ = false;
  bool deaf_ = false;
  bool hold_ = false;
  bool pump_ = false;
};

}  // namespace board::testing
