#include "audio/win32/wave_out_api.h"

#include <atomic>

namespace board {
namespace {
std::atomic<const WaveOutApi*> g_current{nullptr};
}  // namespace

const WaveOutApi& RealWaveOutApi() {
  static const WaveOutApi api{&waveOutGetNumDevs,      &waveOutOpen,  &waveOutPrepareHeader,
                              &waveOutUnprepareHeader, &waveOutWrite, &waveOutPause,
                              &waveOutReset,           &waveOutClose};
  return api;
}

const WaveOutApi* CurrentWaveOutApi() {
  const WaveOutApi* api = g_current.load();
  return api ? api : &RealWaveOutApi();
}

void SetWaveOutApi(const WaveOutApi* api) { g_current.store(api); }

}  // namespace board
