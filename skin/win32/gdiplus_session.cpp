#include "skin/win32/gdiplus_session.h"

#include "skin/win32/gdiplus_api.h"

namespace board {

GdiPlusSession::GdiPlusSession() : token_(gp::StartGdiPlus()) {}

// A token the engine already shut down (on WM_QUIT) is not shut down again.
GdiPlusSession::~GdiPlusSession() { gp::StopGdiPlus(token_); }

}  // namespace board
