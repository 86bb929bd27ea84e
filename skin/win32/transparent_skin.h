// Controls that paint themselves, laid over the skin with their face colour keyed out.
#pragma once
#include <windows.h>

namespace board {

class SkinEngine;

// The procedure is installed by SkinEngine::SkinTransparentControl.

}  // namespace board
