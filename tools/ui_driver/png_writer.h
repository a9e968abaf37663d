// A minimal PNG writer: 8-bit RGB, stored (uncompressed) deflate blocks. Enough for screenshots.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ui_driver {

// `rgb` holds width * height pixels, 3 bytes each, rows top to bottom. Answers false when the
// file cannot be written.
bool WritePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb);

}  // namespace ui_driver
