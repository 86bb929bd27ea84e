// The waveOut calls the WAV player makes, as a table of function pointers. The program uses
// winmm; tests swap in a fake device that records the calls and hands buffers back on demand.
#pragma once
#include <windows.h>
#include <mmsystem.h>

namespace board {

struct WaveOutApi {
  UINT(WINAPI* getNumDevs)();
  MMRESULT(WINAPI* open)(LPHWAVEOUT out, UINT device, LPCWAVEFORMATEX format,
                         DWORD_PTR callback, DWORD_PTR instance, DWORD flags);
  MMRESULT(WINAPI* prepareHeader)(HWAVEOUT stream, LPWAVEHDR header, UINT headerSize);
  MMRESULT(WINAPI* unprepareHeader)(HWAVEOUT stream, LPWAVEHDR header, UINT headerSize);
  MMRESULT(WINAPI* write)(HWAVEOUT stream, LPWAVEHDR header, UINT headerSize);
  MMRESULT(WINAPI* pause)(HWAVEOUT stream);
  MMRESULT(WINAPI* reset)(HWAVEOUT stream);
  MMRESULT(WINAPI* close)(HWAVEOUT stream);
};

// winmm itself.
const WaveOutApi& RealWaveOutApi();

}  // namespace board
