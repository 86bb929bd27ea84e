#include "audio/win32/midi_player.h"

#include <cstddef>
#include <new>

#include "audio/sound_data.h"

namespace board {

// The portable writer spells out the system's stream-event layout; hold it to the headers.
static_assert(offsetof(MIDIEVENT, dwParms) == kStreamEventBytes);
static_assert(uint32_t(MEVT_F_CALLBACK) == kMevtFCallback);
static_assert(uint32_t(MEVT_TEMPO) << 24 == kMevtTempo);
static_assert(uint32_t(MEVT_SHORTMSG) << 24 == kMevtShortMsg);

namespace {

HMIDIOUT AsOut(HMIDISTRM stream) { return reinterpret_cast<HMIDIOUT>(stream); }

}  // namespace

MidiPlayer::MidiPlayer(const MidiStreamApi& device) { seam_.device = &device; }

MidiPlayer::~MidiPlayer() {
  close();
  reclaimAbandoned();
  // What is still kept, its device still holds: it is never freed under the device, and
  // its late callbacks find no player.
  for (auto& stream : abandoned_) (void)stream.release();
}

MidiPlayer::Stream::~Stream() { ScopedCritSec drain(lock); }

MidiPlayer::Buffer* MidiPlayer::Stream::bufferOf(const MIDIHDR* header) {
  for (Buffer& b : buffers)
    if (header == &b.header) return &b;
  return nullptr;
}

int32_t MidiPlayer::open(const uint8_t* data, int32_t length, HWND notifyWindow) {
  close();
  int32_t ok;
  {
    ScopedCritSec hold(control_);
    ok = openLocked(data, length, notifyWindow);
    if (!ok) closeLocked();
  }
  if (!ok) stopWorker();
  return ok;
}

int32_t MidiPlayer::openLocked(const uint8_t* data, int32_t length, HWND notifyWindow) {
  if (!data || length <= 0 || !IsMidiData(data, uint32_t(length))) return 0;
  if (!converter_.load(data, size_t(length))) return 0;
  done_.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  if (!done_ || !startWorker()) return 0;
  api_ = seam_.device;
  data_ = data;
  length_ = length;
  notify_ = notifyWindow;
  {
    ScopedCritSec hold(lock_);
    for (int32_t& v : volumes_) v = 100;
  }
  return prepareStreamLocked();
}

// Opens a stream when none is open, sets its time division, then fills and sends its two
// buffers. On failure the caller stops and closes what was opened.
int32_t MidiPlayer::prepareStreamLocked() {
  if (!stream_ && !openStreamLocked()) return 0;
  MIDIPROPTIMEDIV division{sizeof(MIDIPROPTIMEDIV), converter_.header().timeDivision};
  if (api_->property(stream_->handle, reinterpret_cast<LPBYTE>(&division),
                     MIDIPROP_SET | MIDIPROP_TIMEDIV) != MMSYSERR_NOERROR)
    return 0;
  int32_t result = 1;
  const int sent = queueBuffersLocked(result);
  ScopedCritSec hold(lock_);
  currentBuffer_ = 0;
  buffersBack_ = 2 - sent;  // a buffer never sent counts as back
  return result;
}

int32_t MidiPlayer::openStreamLocked() {
  std::unique_ptr<Stream> stream(new (std::nothrow) Stream);
  if (!stream) return 0;
  stream->api = api_;
  stream->player = this;
  UINT device = deviceId_;
  if (api_->open(&stream->handle, &device, 1, DWORD_PTR(&StreamCallback), DWORD_PTR(stream.get()),
                 CALLBACK_FUNCTION) != MMSYSERR_NOERROR)
    return 0;
  ScopedCritSec hold(lock_);
  stream_ = std::move(stream);
  buffersBack_ = 2;  // none at the device yet: a stop has nothing to wait for
  return 1;
}

// Fills and sends buffer 0 and then buffer 1. A fill that ends the piece (or meets a bad
// event) still sends its buffer, and no further one is filled. Returns how many were sent;
// a failure sets `result` to 0.
int MidiPlayer::queueBuffersLocked(int32_t& result) {
  Stream& s = *stream_;
  int sent = 0;
  for (int i = 0; i < 2; ++i) {
    Buffer& b = s.buffers[i];
    if (!b.block) b.block.reset(new (std::nothrow) uint8_t[kStreamBufferBytes]);
    if (!b.block) {
      result = 0;
      break;
    }
    b.events = StreamBuffer{b.block.get(), 0, kStreamBufferBytes};
    const FillResult filled = converter_.fill(b.events, i == 0);
    // Each header's own prepared flag serves as the player's "headers prepared" flag.
    if (!(b.header.dwFlags & MHDR_PREPARED)) {
      b.header = MIDIHDR{};
      b.header.lpData = reinterpret_cast<LPSTR>(b.block.get());
      b.header.dwBufferLength = kStreamBufferBytes;
      if (api_->prepareHeader(AsOut(s.handle), &b.header, sizeof(MIDIHDR)) != MMSYSERR_NOERROR) {
        result = 0;
        break;
      }
    }
    b.header.dwBytesRecorded = b.events.written;
    if (api_->out(s.handle, &b.header, sizeof(MIDIHDR)) != MMSYSERR_NOERROR) {
      result = 0;
      break;
    }
    ++sent;
    if (filled != FillResult::kFilled) break;
  }
  return sent;
}

int32_t MidiPlayer::play(int32_t loop) {
  ScopedCritSec hold(control_);
  bool wasPlaying;
  {
    ScopedCritSec lock(lock_);
    if (!stream_) return 0;
    wasPlaying = playing_;
  }
  if (wasPlaying && !stopLocked(1)) return 0;
  HMIDISTRM stream;
  {
    ScopedCritSec lock(lock_);
    if (!stream_) return 0;
    stream = stream_->handle;
    stopState_ = kMidiRunning;
    if (!loop_) converter_.insertTempo = true;  // the restarted piece gets its tempo again
    // Set before the restart: a buffer the device hands back at once must find them.
    playing_ = 1;
    loop_ = loop;
    converter_.loop = loop != 0;
  }
  if (api_->restart(stream) != MMSYSERR_NOERROR) {
    ScopedCritSec lock(lock_);
    playing_ = 0;
    return 0;
  }
  return 1;
}

int32_t MidiPlayer::stop(int32_t reload) {
  ScopedCritSec hold(control_);
  return stopLocked(reload);
}

int32_t MidiPlayer::stopLocked(int32_t reload) {
  if (!stream_) return 1;
  bool mustStop;
  {
    ScopedCritSec lock(lock_);
    mustStop = playing_ || stopState_ != kMidiStopped;
    if (mustStop) {
      playing_ = 0;
      if (stopState_ != kMidiStopped && stopState_ != kMidiPieceEnded) stopState_ = kMidiStopping;
      // Nothing at the device: no buffer will come back to say so.
      if (stopState_ == kMidiStopping && buffersBack_ >= 2) stopState_ = kMidiStopped;
    }
  }
  // The wait always ends with the state at 200 (a timeout forces it), so the stop always
  // goes on from here.
  const int32_t result = mustStop ? haltLocked(stream_->handle) : 1;
  {
    // From here the stream's late callbacks find no player.
    ScopedCritSec held(stream_->lock);
    stream_->player = nullptr;
  }
  std::unique_ptr<Stream> old;
  {
    ScopedCritSec lock(lock_);
    stopState_ = kMidiRunning;
    endPending_ = false;  // this stop has dealt with the end of the piece
    old = std::move(stream_);
  }
  // The device refuses the headers it still holds; those stay prepared, with their blocks.
  for (Buffer& b : old->buffers)
    if (b.header.dwFlags & MHDR_PREPARED)
      api_->unprepareHeader(AsOut(old->handle), &b.header, sizeof(MIDIHDR));
  if (reload) {
    if (!prepareStreamLocked()) {
      stopLocked(0);  // whatever the new stream got
      letGo(std::move(old));
      return 0;
    }
    if (!loop_) {
      converter_.rewind();
      converter_.clearFillState();
    }
  }
  letGo(std::move(old));
  return result;
}

// Stops the stream and waits, at most the done timeout, for both buffers to come back. A
// failed stop or reset gives 0, but the stop goes on: the stream is still let go.
int32_t MidiPlayer::haltLocked(HMIDISTRM stream) {
  int32_t result = 1;
  if (api_->stop(stream) != MMSYSERR_NOERROR) result = 0;
  if (api_->reset(AsOut(stream)) != MMSYSERR_NOERROR) result = 0;
  // The done event may still be set from an earlier end, so the state decides.
  const ULONGLONG deadline = GetTickCount64() + seam_.doneTimeoutMs.load();
  for (;;) {
    {
      ScopedCritSec lock(lock_);
      if (stopState_ == kMidiStopped) break;
    }
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline ||
        WaitForSingleObject(done_.get(), DWORD(deadline - now)) == WAIT_TIMEOUT) {
      ScopedCritSec lock(lock_);
      stopState_ = kMidiStopped;  // the device kept a buffer: stop waiting for it
      break;
    }
  }
  return result;
}

// Closes a stream the player is done with and frees it. A stream that will not close (its
// device still holds buffers) is kept whole: its headers and blocks stay where the device
// may still write.
void MidiPlayer::letGo(std::unique_ptr<Stream> stream) {
  if (stream->api->close(stream->handle) == MMSYSERR_NOERROR) return;
  try {
    abandoned_.push_back(std::move(stream));
  } catch (const std::bad_alloc&) {
    (void)stream.release();
    ++lostStreams_;
  }
}

int MidiPlayer::abandonedStreams() {
  ScopedCritSec hold(control_);
  return int(abandoned_.size()) + lostStreams_;
}

int MidiPlayer::reclaimAbandoned() {
  ScopedCritSec hold(control_);
  std::erase_if(abandoned_, [](const std::unique_ptr<Stream>& s) {
    for (Buffer& b : s->buffers)
      if (b.header.dwFlags & MHDR_PREPARED)
        s->api->unprepareHeader(AsOut(s->handle), &b.header, sizeof(MIDIHDR));
    return s->api->close(s->handle) == MMSYSERR_NOERROR;
  });
  return int(abandoned_.size()) + lostStreams_;
}

void MidiPlayer::close() {
  {
    ScopedCritSec hold(control_);
    closeLocked();
  }
  stopWorker();
}

void MidiPlayer::closeLocked() {
  if (api_) stopLocked(0);
  converter_.unload();
  ScopedCritSec lock(lock_);
  api_ = nullptr;
  data_ = nullptr;
  length_ = 0;
  notify_ = nullptr;
  playing_ = 0;
  bytesPlayed_ = 0;
  loop_ = 0;
  currentBuffer_ = 0;
  deviceId_ = MIDI_MAPPER;
  buffersBack_ = 0;
  stopState_ = kMidiRunning;
  endPending_ = false;
  done_.reset();
  for (int32_t& v : volumes_) v = 0;
}

bool MidiPlayer::startWorker() {
  if (worker_) return true;
  wake_.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  quit_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!wake_ || !quit_) return false;
  worker_.reset(CreateThread(nullptr, 0, &EndWorker, this, 0, nullptr));
  return bool(worker_);
}

// Called without `control_`: the worker may be waiting for it.
void MidiPlayer::stopWorker() {
  if (worker_) {
    SetEvent(quit_.get());
    WaitForSingleObject(worker_.get(), INFINITE);  // its turn ends within the done timeout
    worker_.reset();
  }
  wake_.reset();
  quit_.reset();
}

DWORD WINAPI MidiPlayer::EndWorker(void* param) {
  auto* player = static_cast<MidiPlayer*>(param);
  const HANDLE events[2] = {player->quit_.get(), player->wake_.get()};  // quit wins
  while (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1)
    player->finishPiece();
  return 0;
}

// The end of a piece without loop: a fresh, rewound stream waits for the next play.
void MidiPlayer::finishPiece() {
  ScopedCritSec hold(control_);
  {
    ScopedCritSec lock(lock_);
    if (!endPending_) return;
  }
  stopLocked(1);
  if (done_) SetEvent(done_.get());
}

void CALLBACK MidiPlayer::StreamCallback(HMIDIOUT, UINT message, DWORD_PTR instance,
                                         DWORD_PTR first, DWORD_PTR) {
  auto* stream = reinterpret_cast<Stream*>(instance);
  if (!stream || (message != MOM_DONE && message != MOM_POSITIONCB)) return;
  // Held for the whole message: a player letting the stream go waits until it is done.
  ScopedCritSec held(stream->lock);
  MidiPlayer* player = stream->player;
  if (!player) return;
  if (message == MOM_DONE) {
    ScopedCritSec lock(player->lock_);
    player->bufferDone(*stream, reinterpret_cast<MIDIHDR*>(first));
  } else {
    player->positionReached(*stream, reinterpret_cast<const MIDIHDR*>(first));
  }
}

// When both buffers are back after the last one, the end worker takes over.
void MidiPlayer::pieceOverIfAllBack() {
  if (buffersBack_ < 2) return;
  stopState_ = kMidiStopped;
  endPending_ = true;
  SetEvent(done_.get());  // a stop already waiting goes on at once
  SetEvent(wake_.get());
}

void MidiPlayer::bufferDone(Stream& stream, MIDIHDR* header) {
  Buffer* b = stream.bufferOf(header);
  if (!b || stopState_ == kMidiStopped) return;
  ++buffersBack_;
  if (stopState_ == kMidiPieceEnded) return pieceOverIfAllBack();
  if (stopState_ == kMidiStopping) {
    if (buffersBack_ >= 2) {
      stopState_ = kMidiStopped;
      SetEvent(done_.get());
    }
    return;
  }
  bytesPlayed_ += int32_t(header->dwBytesRecorded);
  if (!playing_) return;
  // The buffer refilled is the one the device returned: the current one while the device
  // keeps order, and never one still queued if it does not.
  const FillResult filled = converter_.fill(b->events, false);
  if (filled == FillResult::kEnd) {
    stopState_ = kMidiPieceEnded;
    return pieceOverIfAllBack();
  }
  if (filled == FillResult::kError) return;  // nothing more follows
  header->dwBytesRecorded = b->events.written;
  if (stream.api->out(stream.handle, header, sizeof(MIDIHDR)) != MMSYSERR_NOERROR) return;
  currentBuffer_ = int32_t(b - stream.buffers + 1) % 2;
  --buffersBack_;
}

void MidiPlayer::positionReached(Stream& stream, const MIDIHDR* header) {
  ScopedCritSec lock(lock_);
  if (!stream.bufferOf(header) || header->dwOffset > header->dwBytesRecorded ||
      header->dwBytesRecorded - header->dwOffset < kStreamEventBytes)
    return;
  const auto* word = reinterpret_cast<const uint8_t*>(header->lpData) + header->dwOffset + 8;
  if ((word[0] & 0xF0) != 0xB0 || word[1] != 7) return;
  const int channel = word[0] & 0x0F;
  const int32_t percent = (word[2] & 0x7F) * 100 / 127;
  volumes_[channel] = percent;
  if (notify_)
    PostMessageW(notify_, kMidiVolumeMessage, WPARAM(this), LPARAM(percent << 16 | channel));
}

int32_t MidiPlayer::stopState() {
  ScopedCritSec lock(lock_);
  return stopState_;
}
bool MidiPlayer::playing() {
  ScopedCritSec lock(lock_);
  return playing_ != 0;
}
int32_t MidiPlayer::bytesPlayed() {
  ScopedCritSec lock(lock_);
  return bytesPlayed_;
}
int32_t MidiPlayer::channelVolume(int channel) {
  ScopedCritSec lock(lock_);
  return channel >= 0 && channel < 16 ? volumes_[channel] : 0;
}
bool MidiPlayer::loaded() {
  ScopedCritSec lock(lock_);
  return stream_ != nullptr;
}

}  // namespace board
