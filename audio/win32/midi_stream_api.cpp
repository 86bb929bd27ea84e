#include "audio/win32/midi_stream_api.h"

namespace board {

const MidiStreamApi& RealMidiStreamApi() {
  static const MidiStreamApi api{&midiStreamOpen,   &midiStreamClose, &midiStreamProperty,
                                 &midiStreamOut,    &midiStreamRestart, &midiStreamStop,
                                 &midiOutReset,     &midiOutPrepareHeader,
                                 &midiOutUnprepareHeader};
  return api;
}

}  // namespace board
