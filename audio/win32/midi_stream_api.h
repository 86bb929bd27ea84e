// The MIDI stream calls the MIDI player makes, as a table of function pointers. The program
// uses winmm; tests swap in a fake stream device that calls back from a thread of its own.
#pragma once
#include <windows.h>
#include <mmsystem.h>

namespace board {

struct MidiStreamApi {
  MMRESULT(WINAPI* open)(LPHMIDISTRM stream, LPUINT device, DWORD deviceCount,
                         DWORD_PTR callback, DWORD_PTR instance, DWORD flags);
  MMRESULT(WINAPI* close)(HMIDISTRM stream);
  MMRESULT(WINAPI* property)(HMIDISTRM stream, LPBYTE data, DWORD property);
  MMRESULT(WINAPI* out)(HMIDISTRM stream, LPMIDIHDR header, UINT headerSize);
  MMRESULT(WINAPI* restart)(HMIDISTRM stream);
  MMRESULT(WINAPI* stop)(HMIDISTRM stream);
  MMRESULT(WINAPI* reset)(HMIDIOUT stream);
  MMRESULT(WINAPI* prepareHeader)(HMIDIOUT stream, LPMIDIHDR header, UINT headerSize);
  MMRESULT(WINAPI* unprepareHeader)(HMIDIOUT stream, LPMIDIHDR header, UINT headerSize);
};

// winmm itself.
const MidiStreamApi& RealMidiStreamApi();

}  // namespace board
