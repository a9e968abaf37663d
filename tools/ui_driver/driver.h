// Runs a script of user actions and checks against the dialogs of another program: finds each
// dialog window (class #32770) by its caption, reads its texts, presses its buttons with the
// messages a click sends, and answers message boxes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace ui_driver {

// One script line, split at '|': the command and its arguments.
using Step = std::vector<std::string>;

// Splits a script into steps; blank lines and lines starting with '#' are skipped.
std::vector<Step> ParseScript(const std::string& text);

class Driver {
 public:
  // Runs the steps in order; stops at the first that fails. Answers the number of the failed
  // step (1-based), or 0 when all passed. Reports each step on standard output.
  int Run(const std::vector<Step>& steps);

 private:
  bool Execute(const Step& step, std::string* error);
  void DumpWindows();

  // Stops the thread of the current window, so that a page that finishes quickly can be looked
  // at as it stands; Release lets it go on (also when the driver ends).
  bool Hold(std::string* error);
  void Release();

  HWND current_ = nullptr;
  HANDLE held_ = nullptr;  // the thread Hold stopped

 public:
  ~Driver() { Release(); }
};

}  // namespace ui_driver
