// The terminal through curses: keys decoded, pictures drawn with colours where there are any.
#include <curses.h>

#include <clocale>

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
    int key = getch();
    switch (key) {
      case ERR:
        // A blocking read that fails means the terminal is gone.
        return timeoutMs < 0 ? kKeyClosed : kKeyNone;
      case '\n':
      case '\r':
      case KEY_ENTER:
        return kKeyEnter;
      case 27:
        return kKeyEscape;
      case 3:  // Ctrl+C: as Esc, the way to leave
        return kKeyEscape;
      case '\t':
        return kKeyTab;
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
      case 127:
      case 8:
        return kKeyBackspace;
      case KEY_DC:
        return kKeyDelete;
      case KEY_RESIZE:
        return kKeyResize;
      default:
        if (key >= 32 && key <= 255) return key;
        return kKeyNone;
    }
  }

  void Show(const ScreenBuffer& screen) override {
    for (int y = 0; y < screen.height() && y < LINES; ++y) {
      for (int x = 0; x < screen.width() && x < COLS; ++x) {
        const Cell& cell = screen.At(x, y);
        // The last cell of the screen cannot be written without scrolling on some terminals.
        if (y == LINES - 1 && x == COLS - 1) continue;
        mvaddch(y, x, Glyph(cell.ch) | Attributes(cell.style));
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
  static chtype Glyph(char ch) {
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
        return static_cast<unsigned char>(ch);
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

std::unique_ptr<Terminal> OpenCursesTerminal() {
  std::setlocale(LC_ALL, "");
  // newterm, unlike initscr, answers null instead of ending the program when $TERM is unusable.
  SCREEN* screen = newterm(nullptr, stdout, stdin);
  if (screen == nullptr) return nullptr;
  set_term(screen);
  return std::make_unique<CursesTerminal>(screen);
}

}  // namespace setup
