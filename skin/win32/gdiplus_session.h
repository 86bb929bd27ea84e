// GDI+ for the life of an object: started by the constructor, shut down by the destructor
// (through StartGdiPlus/StopGdiPlus, so a token someone already shut down is not shut down
// again). Declare it before anything that holds GDI+ objects, so that it outlives them.
#pragma once
#include <windows.h>

namespace board {

class GdiPlusSession {
 public:
  GdiPlusSession();  // version 1, no debug callback, no suppressed thread or codecs
  ~GdiPlusSession();
  GdiPlusSession(const GdiPlusSession&) = delete;
  GdiPlusSession& operator=(const GdiPlusSession&) = delete;
  // 0 when GDI+ failed to start or has been stopped; drawing then fails quietly.
  ULONG_PTR token() const { return token_; }
  // Shuts GDI+ down now; the token is shut down once only, whoever asks first.
  void Stop();

 private:
  ULONG_PTR token_ = 0;
};

}  // namespace board
