// The MIDI stream player the host owns: one standard MIDI file at a time, read in place from
// the host's copy, converted into stream events and fed to the device through two buffers
// of 1,024 bytes that are refilled as the device hands them back. It can loop the piece.
//
// Each open stream is a `Stream` record: the stream handle and the two buffers it plays
// from, and the instance the device's callback receives. A stream the player is done with
// is closed and freed, or, when the device still holds its buffers or will not close it,
// kept whole as abandoned: the device never writes into freed memory, and its late
// callbacks find no player.
//
// Threads, and what each may touch:
// - The caller's (GUI) thread runs open, play, stop, close and the destructor, each holding
//   `control_` throughout. It changes `playing_`, `loop_`, `stopState_`, `buffersBack_`,
//   `currentBuffer_`, `endPending_` and `stream_` only under `lock_`, never holds `lock_`
//   or a stream's lock while calling the device, and uses the converter and the buffers
//   only while no buffer is at a running stream (before play, or once the stop state is
//   200).
// - The device's callback thread runs StreamCallback under the stream's lock for the whole
//   of each message, and under `lock_` as well while it works for the player. MOM_DONE
//   counts the buffer back, moves the stop state on, and refills and sends the returned
//   buffer (converter, buffers, `bytesPlayed_`, `currentBuffer_`); MOM_POSITIONCB writes
//   `volumes_`. It never waits and never takes `control_`: closing and reopening the stream
//   at the end of a piece is handed to the end worker.
// - The end worker (one thread per loaded piece) wakes when the callback sets
//   `endPending_`, takes `control_` and runs stop with reload, then sets the done event.
//   A stop or close on the GUI thread that gets there first does the same steps and clears
//   `endPending_`, and the worker's turn lapses.
// Locks are taken in the order: a stream's lock, then `lock_`.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>

#include "audio/midi_stream_writer.h"
#include "audio/win32/midi_stream_api.h"
#include "base/win32/scoped_win.h"

namespace board {

// How long a stop waits for the device to hand both buffers back.
constexpr DWORD kMidiDoneTimeoutMs = 2000;
// Sent to the notify window when a channel-volume event plays: wParam the player, lParam
// (percent << 16) | channel.
constexpr UINT kMidiVolumeMessage = 0x417;

enum MidiStopState : int32_t {
  kMidiRunning = 0,
  kMidiStopping = 100,
  kMidiStopped = 200,
  kMidiPieceEnded = 300,
};

class MidiPlayer {
 public:
  explicit MidiPlayer(const MidiStreamApi& device = RealMidiStreamApi());
  ~MidiPlayer();
  MidiPlayer(const MidiPlayer&) = delete;
  MidiPlayer& operator=(const MidiPlayer&) = delete;

  // Loads a piece (closing any loaded one), opens a stream on the MIDI mapper and queues the
  // first two buffers; the stream stays paused until play. 1 or 0. The data stays the
  // caller's and must outlive the piece.
  int32_t open(const uint8_t* data, int32_t length, HWND notifyWindow);
  // Starts (or, when playing, restarts from a fresh stream) the loaded piece; 1 or 0.
  int32_t play(int32_t loop);
  // Stops the sound, waiting up to kMidiDoneTimeoutMs for the buffers; with `reload` a
  // fresh stream waits for the next play (rewound unless looping). 1 or 0.
  int32_t stop(int32_t reload);
  // Stops and forgets the piece, releasing the stream, the buffers and the end worker.
  void close();

  // Read-only views for tests and benchmarks.
  int32_t stopState();
  bool playing();
  int32_t bytesPlayed();
  int32_t channelVolume(int channel);  // percent, 100 until the piece sets it
  bool loaded();

  // Streams kept because the device still held buffers after a stop's bounded wait, or
  // would not close.
  int abandonedStreams();
  // Closes and frees the kept streams whose device has since let go; returns how many are
  // still kept.
  int reclaimAbandoned();

  // What tests and benchmarks change, only while no piece is opening; a piece keeps the
  // device it was opened on until it is closed.
  struct TestSeam {
    const MidiStreamApi* device = nullptr;
    std::atomic<DWORD> doneTimeoutMs{kMidiDoneTimeoutMs};
  };
  TestSeam& testSeam() { return seam_; }

  static void CALLBACK StreamCallback(HMIDIOUT stream, UINT message, DWORD_PTR instance,
                                      DWORD_PTR first, DWORD_PTR second);

 private:
  struct Buffer {
    MIDIHDR header{};
    std::unique_ptr<uint8_t[]> block;  // kStreamBufferBytes
    StreamBuffer events;
  };
  // The device holds the addresses of the headers, so a stream record never moves.
  struct Stream {
    ~Stream();  // passes through `lock`: a callback still inside has left
    Buffer* bufferOf(const MIDIHDR* header);
    HMIDISTRM handle = nullptr;
    const MidiStreamApi* api = nullptr;
    Buffer buffers[2];
    CritSec lock;                  // guards `player`
    MidiPlayer* player = nullptr;  // null once the player has let the stream go
  };

  int32_t openLocked(const uint8_t* data, int32_t length, HWND notifyWindow);
  int32_t prepareStreamLocked();
  int32_t openStreamLocked();
  int queueBuffersLocked(int32_t& result);
  int32_t stopLocked(int32_t reload);
  int32_t haltLocked(HMIDISTRM stream);
  void letGo(std::unique_ptr<Stream> stream);
  void closeLocked();
  bool startWorker();
  void stopWorker();
  void finishPiece();
  static DWORD WINAPI EndWorker(void* player);

  // Callback side, under `lock_`.
  void bufferDone(Stream& stream, MIDIHDR* header);
  void positionReached(Stream& stream, const MIDIHDR* header);
  void pieceOverIfAllBack();

  CritSec control_;  // one operation at a time: GUI thread or end worker
  CritSec lock_;     // the fields the callback shares

  TestSeam seam_;
  const MidiStreamApi* api_ = nullptr;  // the device of the loaded piece
  const uint8_t* data_ = nullptr;
  int32_t length_ = 0;
  HWND notify_ = nullptr;
  MidiConverter converter_;
  int32_t playing_ = 0;
  std::unique_ptr<Stream> stream_;
  int32_t bytesPlayed_ = 0;
  int32_t loop_ = 0;
  int32_t currentBuffer_ = 0;
  UINT deviceId_ = MIDI_MAPPER;
  int32_t buffersBack_ = 0;
  int32_t stopState_ = kMidiRunning;
  bool endPending_ = false;
  UniqueHandle done_;  // auto-reset: both buffers came back after a stop or the end
  int32_t volumes_[16] = {};
  std::list<std::unique_ptr<Stream>> abandoned_;  // under `control_`
  int lostStreams_ = 0;  // kept, but no room to list them: never freed

  UniqueHandle worker_;
  UniqueHandle wake_;  // auto-reset: the piece ended
  UniqueHandle quit_;  // manual-reset
};

}  // namespace board
