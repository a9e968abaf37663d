// The full-screen front end for a terminal: each dialog drawn from its template as a framed
// window with its caption, texts, edit boxes and buttons; message boxes as modal boxes on top;
// the keys a Windows user expects. Timers run in real time (the terminal's clock), so the
// installation page keeps its pace and repaints between steps.
//
// The event loop is separate from the views: every turn draws the whole picture, waits for a
// key or the next timer tick, then either delivers the due ticks or gives the key to the
// innermost box or dialog, whose view answers what the dialog manager should press.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "platform/terminal.h"
#include "ui/frontend_window_system.h"
#include "ui/terminal/dialog_view.h"
#include "ui/terminal/message_box_view.h"

namespace setup {

class TerminalWindowSystem final : public FrontEndWindowSystem {
 public:
  // Window texts are ANSI text in `encoding`'s code page; `terminal` and `encoding` must outlive
  // this object.
  TerminalWindowSystem(std::string applicationTitle, Terminal& terminal,
                       const TextEncoding& encoding = AsciiTextEncoding());
  ~TerminalWindowSystem() override;

  int MessageBox(WindowHandle owner, const std::string& text, const char* caption,
                 unsigned style) override;

  // The whole picture as the next turn shows it, at the terminal's current size.
  ScreenBuffer Render();
  // The view of an open window; null for a window without a known template.
  DialogView* ViewOf(WindowHandle window);

 protected:
  void RunModalLoop(Window& window) override;
  void OnWindowOpened(Window& window) override;
  void OnWindowClosing(Window& window) override;
  TimePoint Now() const override { return terminal_.Now(); }

 private:
  // One turn of a modal loop: draws, then waits for a key until the next tick is due. Delivers
  // the ticks that came due and answers kKeyNone, or answers the key.
  int NextKey();
  // The key help for the innermost window: Esc named after the button it presses there.
  std::string HelpText() const;

  Terminal& terminal_;
  const TextEncoding& encoding_;
  std::u32string notice_;  // shown on the help row until the next key
  std::map<const Window*, std::unique_ptr<DialogView>> views_;
  std::vector<const MessageBoxView*> boxes_;  // open message boxes, innermost last
  bool closed_ = false;                       // the terminal is gone
};

}  // namespace setup
