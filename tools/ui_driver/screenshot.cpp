// Captures a window's on-screen picture into a PNG file.
#include "screenshot.h"

#include <vector>

#include "png_writer.h"

namespace ui_driver {

bool SaveScreenshot(HWND window, const std::string& path, std::string* error) {
  RECT rect;
  if (!GetWindowRect(window, &rect)) {
    *error = "the window is gone";
    return false;
  }
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) {
    *error = "the window has no size";
    return false;
  }
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool copied = false;
  if (bitmap != nullptr) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    // What the screen shows; where the window is not on screen, ask it to draw itself.
    copied = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) ||
             PrintWindow(window, memory, 0);
    GdiFlush();
    SelectObject(memory, old);
  }
  std::vector<std::uint8_t> rgb;
  if (copied) {
    const auto* pixels = static_cast<const std::uint8_t*>(bits);
    rgb.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    for (int i = 0; i < width * height; ++i) {
      rgb.push_back(pixels[4 * i + 2]);
      rgb.push_back(pixels[4 * i + 1]);
      rgb.push_back(pixels[4 * i + 0]);
    }
  }
  if (bitmap != nullptr) DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (!copied) {
    *error = "the screen could not be copied";
    return false;
  }
  if (!WritePng(path, width, height, rgb)) {
    *error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace ui_driver
