// The terminal through wide-character curses: keys decoded, pictures drawn with colours where
// there are any, characters in the locale's encoding.
#ifndef NCURSES_WIDECHAR
#define NCURSES_WIDECHAR 1
#endif
#include <curses.h>
#include <unistd.h>

#include <clocale>
#include <cwchar>

#include "platform/terminal.h"

namespace setup {

namespace {

class CursesTerminal final : public Terminal {
 public:
  explicit CursesTerminal(SCREEN* screen) : screen_(screen) {
    raw();  // Ctrl+C reaches us as a key, so the wizard cannot be left half drawn
    noecho();
    keypad(stdscr, TRUE);
    set_escdelay(25);
    if (has_colors()) {
      start_color();
      colors_ = true;
      init_pair(1, COLOR_WHITE, COLOR_BLUE);   // desktop, help
      init_pair(2, COLOR_BLACK, COLOR_WHITE);  // window, buttons
      init_pair(3, COLOR_WHITE, COLOR_BLUE);   // caption bar
      init_pair(4, COLOR_WHITE, COLOR_BLACK);  // focus
      init_pair(5, COLOR_BLACK, COLOR_CYAN);   // edit fields
      init_pair(6, COLOR_WHITE, COLOR_BLUE);   // progress
    }
  }
  ~CursesTerminal() override {
    endwin();
    delscreen(screen_);
  }

  int Width() override { return COLS; }
  int Height() override { return LINES; }

  int ReadKey(int timeoutMs) override {
    timeout(timeoutMs < 0 ? -1 : timeoutMs);
    wint_t key = 0;
    const int kind = get_wch(&key);
    if (kind == ERR) {
      // A blocking read that fails means the terminal is gone.
      return timeoutMs < 0 ? kKeyClosed : kKeyNone;
    }
    if (kind == KEY_CODE_YES) return FunctionKey(static_cast<int>(key));
    switch (key) {
      case L'\n':
      case L'\r':
        return kKeyEnter;
      case 27:
        return kKeyEscape;
      case 3:  // Ctrl+C: as Esc, the way to leave
        return kKeyEscape;
      case L'\t':
        return kKeyTab;
      case 127:
      case 8:
        return kKeyBackspace;
      default:
        if (IsCharacterKey(static_cast<int>(key))) return static_cast<int>(key);
        return kKeyNone;
    }
  }

  void Show(const ScreenBuffer& screen) override {
    for (int y = 0; y < screen.height() && y < LINES; ++y) {
      for (int x = 0; x < screen.width() && x < COLS; ++x) {
        const Cell& cell = screen.At(x, y);
        // The last cell of the screen cannot be written without scrolling on some terminals.
        if (y == LINES - 1 && x == COLS - 1) continue;
        Draw(y, x, cell);
      }
    }
    if (screen.cursorVisible()) {
      curs_set(1);
      move(screen.cursorY(), screen.cursorX());
    } else {
      curs_set(0);
    }
    refresh();
  }

 private:
  static int FunctionKey(int key) {
    switch (key) {
      case KEY_ENTER:
        return kKeyEnter;
      case KEY_BTAB:
        return kKeyBackTab;
      case KEY_UP:
        return kKeyUp;
      case KEY_DOWN:
        return kKeyDown;
      case KEY_LEFT:
        return kKeyLeft;
      case KEY_RIGHT:
        return kKeyRight;
      case KEY_PPAGE:
        return kKeyPageUp;
      case KEY_NPAGE:
        return kKeyPageDown;
      case KEY_HOME:
        return kKeyHome;
      case KEY_END:
        return kKeyEnd;
      case KEY_BACKSPACE:
        return kKeyBackspace;
      case KEY_DC:
        return kKeyDelete;
      case KEY_RESIZE:
        return kKeyResize;
      default:
        return kKeyNone;
    }
  }

  void Draw(int y, int x, const Cell& cell) const {
    const chtype attributes = Attributes(cell.style);
    if (cell.ch >= kBoxTopLeft && cell.ch <= kBoxVertical) {
      mvaddch(y, x, Glyph(cell.ch) | attributes);
      return;
    }
    // One cell a character: a combining mark (1258) goes on a blank, and a character the
    // locale cannot show, or one that would take two cells, shows as '?'.
    wchar_t text[3] = {static_cast<wchar_t>(cell.ch), 0, 0};
    const int width = ::wcwidth(text[0]);
    if (width == 0 && cell.ch >= 0x300) {
      text[1] = text[0];
      text[0] = L' ';
    } else if (width != 1) {
      text[0] = cell.ch == U' ' ? L' ' : L'?';
    }
    cchar_t shown{};
    setcchar(&shown, text, attributes & ~A_COLOR, static_cast<short>(PAIR_NUMBER(attributes)),
             nullptr);
    mvadd_wch(y, x, &shown);
  }

  static chtype Glyph(char32_t ch) {
    switch (ch) {
      case kBoxTopLeft:
        return ACS_ULCORNER;
      case kBoxTopRight:
        return ACS_URCORNER;
      case kBoxBottomLeft:
        return ACS_LLCORNER;
      case kBoxBottomRight:
        return ACS_LRCORNER;
      case kBoxHorizontal:
        return ACS_HLINE;
      case kBoxVertical:
        return ACS_VLINE;
      default:
        return ' ';
    }
  }

  chtype Attributes(CellStyle style) const {
    if (!colors_) {
      switch (style) {
        case CellStyle::kTitle:
        case CellStyle::kFocus:
        case CellStyle::kSelection:
        case CellStyle::kProgress:
          return A_REVERSE;
        case CellStyle::kDefaultButton:
          return A_BOLD;
        case CellStyle::kField:
          return A_UNDERLINE;
        case CellStyle::kDesktop:
        case CellStyle::kWindow:
        case CellStyle::kButton:
        case CellStyle::kHelp:
          return A_NORMAL;
      }
      return A_NORMAL;
    }
    switch (style) {
      case CellStyle::kDesktop:
      case CellStyle::kHelp:
        return COLOR_PAIR(1);
      case CellStyle::kWindow:
      case CellStyle::kButton:
        return COLOR_PAIR(2);
      case CellStyle::kDefaultButton:
        return COLOR_PAIR(2) | A_BOLD;
      case CellStyle::kTitle:
        return COLOR_PAIR(3) | A_BOLD;
      case CellStyle::kFocus:
        return COLOR_PAIR(4) | A_BOLD;
      case CellStyle::kField:
        return COLOR_PAIR(5);
      case CellStyle::kSelection:
        return COLOR_PAIR(5) | A_REVERSE;
      case CellStyle::kProgress:
        return COLOR_PAIR(6);
    }
    return A_NORMAL;
  }

  SCREEN* screen_;
  bool colors_ = false;
};

}  // namespace

bool StandardStreamsAreTerminal() {
  return ::isatty(STDIN_FILENO) != 0 && ::isatty(STDOUT_FILENO) != 0;
}

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) != 0; }

std::unique_ptr<Terminal> OpenCursesTerminal() {
  // The character type alone: wide curses needs it, and numbers and dates stay as they are.
  std::setlocale(LC_CTYPE, "");
  // newterm, unlike initscr, answers null instead of ending the program when $TERM is unusable.
  SCREEN* screen = newterm(nullptr, stdout, stdin);
  if (screen == nullptr) return nullptr;
  set_term(screen);
  return std::make_unique<CursesTerminal>(screen);
}

}  // namespace setup
