#include "skin/win32/gdiplus_session.h"

#include "skin/win32/gdiplus_api.h"

namespace board {

GdiPlusSession::GdiPlusSession() : token_(gp::StartGdiPlus()) {}

GdiPlusSession::~GdiPlusSession() { Stop(); }

// A token already shut down (by Stop, say) is not shut down again.
void GdiPlusSession::Stop() {
  gp::StopGdiPlus(token_);
  token_ = 0;
}

}  // namespace board
