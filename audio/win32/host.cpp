#include "audio/win32/host.h"

#include <optional>

#include "audio/win32/commands.h"
#include "audio/win32/sound_host.h"

namespace board {
namespace {

// The program's one host: the service entry is a plain function, so this is where it finds it.
std::optional<SoundHost> g_host;

}  // namespace

SoundHost* RunningHost() { return g_host ? &*g_host : nullptr; }

int32_t HostService(int32_t code, intptr_t first, intptr_t) {
  if (!g_host) return 0;
  switch (code) {
    case kServicePlay: {
      const auto* request = reinterpret_cast<const PlayRequest*>(first);
      // A negative length would pass the unsigned kind tests as a huge size.
      if (!request || !request->data || request->length <= 0) return 0;
      return g_host->PlayData({request->data, size_t(request->length)}, request->loop != 0) ? 1 : 0;
    }
    case kServiceStop:
      g_host->StopAllSound(false);
      return 0;
    default:
      return 0;
  }
}

void HostStart() {
  if (!g_host) g_host.emplace();
  SetHostService(&HostService);
}

void HostEnd() {
  SetHostService(nullptr);
  if (!g_host) return;
  g_host->StopAllSound(true);
  g_host.reset();
}

}  // namespace board
