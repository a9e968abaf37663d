// Captures a window's on-screen picture into a PNG file.
#pragma once

#include <windows.h>

#include <string>

namespace ui_driver {

// The window as it appears on the screen, frame included. Answers false with a reason.
bool SaveScreenshot(HWND window, const std::string& path, std::string* error);

}  // namespace ui_driver
