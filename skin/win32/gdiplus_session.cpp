#include "skin/win32/gdiplus_session.h"

#include <objidl.h>
#include <gdiplus.h>

namespace board {

GdiPlusSession::GdiPlusSession() {
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok) token_ = token;
}

GdiPlusSession::~GdiPlusSession() { Stop(); }

void GdiPlusSession::Stop() {
  if (token_) Gdiplus::GdiplusShutdown(token_);
  token_ = 0;
}

}  // namespace board
