#include "audio/win32/wave_out_api.h"

namespace board {

const WaveOutApi& RealWaveOutApi() {
  static const WaveOutApi api{&waveOutGetNumDevs,      &waveOutOpen,  &waveOutPrepareHeader,
                              &waveOutUnprepareHeader, &waveOutWrite, &waveOutPause,
                              &waveOutReset,           &waveOutClose};
  return api;
}

}  // namespace board
