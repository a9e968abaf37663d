// An off-screen picture of the terminal: Unicode characters with a drawing style per cell, and
// where the cursor stands. The terminal interface renders into it; the terminal shows it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace setup {

// What a cell is part of; the terminal chooses colours and attributes for each.
enum class CellStyle : std::uint8_t {
  kDesktop,
  kWindow,
  kTitle,  // a window's caption bar
  kButton,
  kDefaultButton,  // the button Enter presses
  kFocus,          // the control with the keyboard focus
  kField,          // the inside of an edit box
  kSelection,      // selected text in an edit box
  kProgress,       // the filled part of a progress bar
  kHelp,           // the key help on the last row
};

// Line-drawing characters, kept apart from text; the terminal draws them with its own glyphs.
enum : char32_t {
  kBoxTopLeft = 1,
  kBoxTopRight,
  kBoxBottomLeft,
  kBoxBottomRight,
  kBoxHorizontal,
  kBoxVertical,
};

struct Cell {
  char32_t ch = U' ';
  CellStyle style = CellStyle::kDesktop;
};

struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  int right() const { return x + width; }
  int bottom() const { return y + height; }
};

class ScreenBuffer {
 public:
  ScreenBuffer(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  const Cell& At(int x, int y) const;

  // Drawing clips at the buffer's edges.
  void Put(int x, int y, char32_t ch, CellStyle style);
  // Writes `text` from (x, y), one cell a character, at most `maxWidth` cells (all that fit when
  // negative).
  void Text(int x, int y, std::u32string_view text, CellStyle style, int maxWidth = -1);
  // The same for ASCII text (a byte of the upper half shows as '?').
  void Text(int x, int y, std::string_view ascii, CellStyle style, int maxWidth = -1);
  void Fill(const Rect& area, char32_t ch, CellStyle style);
  // A single-line frame around the edge of `area`.
  void Frame(const Rect& area, CellStyle style);

  // The terminal's cursor: shown at (x, y) when visible.
  void ShowCursor(int x, int y);
  bool cursorVisible() const { return cursorVisible_; }
  int cursorX() const { return cursorX_; }
  int cursorY() const { return cursorY_; }

  // One row as plain UTF-8 text, frames drawn with + - |, trailing blanks kept.
  std::string Row(int y) const;
  // Every row, each ending in a line feed, trailing blanks dropped.
  std::string ToText() const;

 private:
  int width_;
  int height_;
  std::vector<Cell> cells_;
  bool cursorVisible_ = false;
  int cursorX_ = 0;
  int cursorY_ = 0;
};

// A character of a window text as the terminal shows it: a tab or any other control character
// (C0, DEL, C1) as a blank, everything else as it is.
char32_t DisplayChar(char32_t character);
// A byte of a text of unknown code page: printable ASCII as it is, control characters as a
// blank, bytes of the upper half as '?'.
char DisplayChar(char byte);

// Breaks `text` into lines of at most `width` cells (one a character) the way a multi-line edit
// box does: only CR LF breaks a line (a lone CR or LF shows as a blank), tabs advance to the next
// multiple of eight, and a line too long for the box wraps after its last blank that fits (a
// word longer than the box is cut).
std::vector<std::u32string> WrapText(std::u32string_view text, int width);
// The same for a text of unknown code page, its bytes shown as DisplayChar(char) shows them.
std::vector<std::string> WrapText(std::string_view text, int width);

}  // namespace setup
