// The off-screen picture and the text wrapping of edit boxes.
#include "platform/screen_buffer.h"

#include <algorithm>

#include "platform/text_encoding.h"

namespace setup {

ScreenBuffer::ScreenBuffer(int width, int height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      cells_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_)) {}

const Cell& ScreenBuffer::At(int x, int y) const {
  static const Cell kOutside;
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return kOutside;
  return cells_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                static_cast<std::size_t>(x)];
}

void ScreenBuffer::Put(int x, int y, char32_t ch, CellStyle style) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  Cell& cell = cells_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                      static_cast<std::size_t>(x)];
  cell.ch = ch;
  cell.style = style;
}

void ScreenBuffer::Text(int x, int y, std::u32string_view text, CellStyle style, int maxWidth) {
  int limit = maxWidth < 0 ? static_cast<int>(text.size())
                           : std::min(maxWidth, static_cast<int>(text.size()));
  for (int i = 0; i < limit; ++i) Put(x + i, y, text[static_cast<std::size_t>(i)], style);
}

void ScreenBuffer::Text(int x, int y, std::string_view ascii, CellStyle style, int maxWidth) {
  std::u32string text;
  for (char byte : ascii) {
    text += static_cast<unsigned char>(byte) >= 0x80 ? U'?' : static_cast<char32_t>(byte);
  }
  Text(x, y, text, style, maxWidth);
}

void ScreenBuffer::Fill(const Rect& area, char32_t ch, CellStyle style) {
  for (int y = area.y; y < area.bottom(); ++y) {
    for (int x = area.x; x < area.right(); ++x) Put(x, y, ch, style);
  }
}

void ScreenBuffer::Frame(const Rect& area, CellStyle style) {
  if (area.width < 2 || area.height < 2) return;
  for (int x = area.x + 1; x < area.right() - 1; ++x) {
    Put(x, area.y, kBoxHorizontal, style);
    Put(x, area.bottom() - 1, kBoxHorizontal, style);
  }
  for (int y = area.y + 1; y < area.bottom() - 1; ++y) {
    Put(area.x, y, kBoxVertical, style);
    Put(area.right() - 1, y, kBoxVertical, style);
  }
  Put(area.x, area.y, kBoxTopLeft, style);
  Put(area.right() - 1, area.y, kBoxTopRight, style);
  Put(area.x, area.bottom() - 1, kBoxBottomLeft, style);
  Put(area.right() - 1, area.bottom() - 1, kBoxBottomRight, style);
}

void ScreenBuffer::ShowCursor(int x, int y) {
  cursorVisible_ = x >= 0 && y >= 0 && x < width_ && y < height_;
  cursorX_ = x;
  cursorY_ = y;
}

std::string ScreenBuffer::Row(int y) const {
  std::u32string row;
  for (int x = 0; x < width_; ++x) {
    char32_t ch = At(x, y).ch;
    switch (ch) {
      case kBoxTopLeft:
      case kBoxTopRight:
      case kBoxBottomLeft:
      case kBoxBottomRight:
        row += U'+';
        break;
      case kBoxHorizontal:
        row += U'-';
        break;
      case kBoxVertical:
        row += U'|';
        break;
      default:
        row += ch;
        break;
    }
  }
  return EncodeUtf8(row);
}

std::string ScreenBuffer::ToText() const {
  std::string text;
  for (int y = 0; y < height_; ++y) {
    std::string row = Row(y);
    row.erase(row.find_last_not_of(' ') + 1);
    text += row + "\n";
  }
  return text;
}

char32_t DisplayChar(char32_t character) {
  if (character < 0x20 || (character >= 0x7F && character < 0xA0)) return U' ';
  return character;
}

char DisplayChar(char byte) {
  auto value = static_cast<unsigned char>(byte);
  if (value >= 0x80) return '?';
  if (value < 0x20 || value == 0x7F) return ' ';
  return byte;
}

std::vector<std::u32string> WrapText(std::u32string_view text, int width) {
  std::vector<std::u32string> lines;
  if (width < 1) width = 1;
  auto limit = static_cast<std::size_t>(width);
  std::size_t start = 0;
  while (true) {
    std::size_t end = text.find(U"\r\n", start);
    std::u32string_view paragraph = text.substr(
        start, end == std::u32string_view::npos ? std::u32string_view::npos : end - start);
    // The paragraph as cells, tabs expanded.
    std::u32string cells;
    for (char32_t character : paragraph) {
      if (character == U'\t') {
        cells.append(8 - cells.size() % 8, U' ');
      } else {
        cells += DisplayChar(character);
      }
    }
    if (cells.empty()) lines.emplace_back();
    while (!cells.empty()) {
      if (cells.size() <= limit) {
        lines.push_back(cells);
        break;
      }
      // Break after the last blank that fits; a blank just past the edge breaks there too.
      std::size_t cut = cells.find_last_of(U' ', limit);
      if (cut == std::u32string::npos || cut == 0) {
        lines.push_back(cells.substr(0, limit));
        cells.erase(0, limit);
        continue;
      }
      lines.push_back(cells.substr(0, std::min(cut, limit)));
      cells.erase(0, cut + 1);
    }
    if (end == std::u32string_view::npos) break;
    start = end + 2;
  }
  return lines;
}

std::vector<std::string> WrapText(std::string_view text, int width) {
  std::u32string wide;
  for (char byte : text) {
    wide += static_cast<unsigned char>(byte) >= 0x80 ? U'?' : static_cast<char32_t>(byte);
  }
  std::vector<std::string> lines;
  for (const std::u32string& line : WrapText(wide, width)) lines.push_back(EncodeUtf8(line));
  return lines;
}

}  // namespace setup
