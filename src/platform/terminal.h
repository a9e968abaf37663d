// The terminal as the full-screen interface sees it: keys in, whole pictures out, and a clock
// for the timers. The real one is curses; tests stand in for it.
#pragma once

#include <chrono>
#include <memory>

#include "platform/screen_buffer.h"

namespace setup {

// Keys: a typed character stands for its Unicode code point (32 and up, below kKeyEnter); the
// other keys are these, beyond Unicode.
enum Key : int {
  kKeyNone = -1,  // nothing arrived before the time ran out
  kKeyEnter = 0x110000,
  kKeyEscape,
  kKeyTab,
  kKeyBackTab,  // Shift+Tab
  kKeyUp,
  kKeyDown,
  kKeyLeft,
  kKeyRight,
  kKeyPageUp,
  kKeyPageDown,
  kKeyHome,
  kKeyEnd,
  kKeyBackspace,
  kKeyDelete,
  kKeyResize,  // the terminal changed its size
  kKeyClosed,  // the terminal is gone (end of input, hang-up)
};

// A key that types a character.
inline bool IsCharacterKey(int key) { return key >= 32 && key < kKeyEnter; }

class Terminal {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;

  virtual ~Terminal() = default;
  // The screen's size in cells.
  virtual int Width() = 0;
  virtual int Height() = 0;
  // Waits at most `timeoutMs` (forever when negative) for a key.
  virtual int ReadKey(int timeoutMs) = 0;
  // Makes the screen show `screen`.
  virtual void Show(const ScreenBuffer& screen) = 0;
  virtual TimePoint Now() { return std::chrono::steady_clock::now(); }
};

// The curses terminal on standard input and output, set up for the full-screen interface and
// restored when destroyed; null when the terminal cannot be used. Characters are shown and read
// in the locale's encoding; one the terminal cannot show appears as '?'.
std::unique_ptr<Terminal> OpenCursesTerminal();

// Whether standard input and output are both a terminal, so the full-screen interface can run.
bool StandardStreamsAreTerminal();

// Whether standard error is a terminal (a console on Windows), so a tool's messages may be
// converted into the terminal's encoding.
bool StandardErrorIsTerminal();

}  // namespace setup
