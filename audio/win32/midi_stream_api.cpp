#include "audio/win32/midi_stream_api.h"

#include <atomic>

namespace board {
namespace {
std::atomic<const MidiStreamApi*> g_current{nullptr};
}  // namespace

const MidiStreamApi& RealMidiStreamApi() {
  static const MidiStreamApi api{&midiStreamOpen,   &midiStreamClose, &midiStreamProperty,
                                 &midiStreamOut,    &midiStreamRestart, &midiStreamStop,
                                 &midiOutReset,     &midiOutPrepareHeader,
                                 &midiOutUnprepareHeader};
  return api;
}

const MidiStreamApi* CurrentMidiStreamApi() {
  const MidiStreamApi* api = g_current.load();
  return api ? api : &RealMidiStreamApi();
}

void SetMidiStreamApi(const MidiStreamApi* api) { g_current.store(api); }

}  // namespace board
