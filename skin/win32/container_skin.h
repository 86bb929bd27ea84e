// Containers (tab controls, group boxes) that show the window's picture instead of their own face.
#pragma once
#include <windows.h>

namespace board {

class SkinEngine;

// The container procedure is installed by SkinEngine::AttachContainer.

}  // namespace board
