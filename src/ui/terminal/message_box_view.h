// A message box on the terminal: caption, icon, text and buttons in a modal box on top.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/screen_buffer.h"
#include "platform/text_encoding.h"
#include "ui/frontend_window_system.h"

namespace setup {

class MessageBoxView {
 public:
  // Caption and text are ANSI text in `encoding`'s code page; `encoding` must outlive the box.
  MessageBoxView(std::string caption, std::string text, unsigned style,
                 const TextEncoding& encoding = AsciiTextEncoding());

  // Enter or Space press the focused button (the default one at first); Esc answers Cancel or,
  // for a box with OK alone, OK, and is ignored by Yes/No boxes; Tab and the arrows move the
  // focus; a button's first letter presses it.
  std::optional<int> HandleKey(int key);
  // Centred on the screen.
  void Render(ScreenBuffer& screen) const;

  int FocusedButton() const { return buttons_[focus_].id; }

 private:
  std::string caption_;
  std::string text_;
  unsigned style_;
  const TextEncoding& encoding_;
  std::vector<MessageBoxButton> buttons_;
  std::size_t focus_;
};

}  // namespace setup
