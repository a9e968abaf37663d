// The common part of the window systems that draw dialogs themselves (terminal, line prompts,
// unattended): the open windows with their captions, item texts, timers and progress bars, the
// modal run and the dialog manager's buttons. A front end supplies the modal loop and the
// message box.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/application_title.h"
#include "platform/dialog.h"
#include "platform/window_system.h"
#include "ui/dialog_templates.h"

namespace setup {

// One button of a message box.
struct MessageBoxButton {
  int id;             // IDOK, IDYES, ...
  const char* label;  // "OK", "Yes", ...
};

// The buttons MessageBoxA shows for `style`, left to right.
std::vector<MessageBoxButton> MessageBoxButtons(unsigned style);
// Index into MessageBoxButtons(style) of the default button (MB_DEFBUTTON1 to 3).
std::size_t MessageBoxDefaultIndex(unsigned style);
// The answer of Esc: the Cancel button's id, OK for a box with OK alone; nothing when the box
// has no such button (Yes/No boxes ignore Esc, as on Windows).
std::optional<int> MessageBoxEscapeAnswer(unsigned style);
// The caption shown for `caption` (null means the system's "Error").
std::string MessageBoxCaption(const char* caption);

class FrontEndWindowSystem : public WindowSystem {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;

  struct Timer {
    unsigned id;
    unsigned periodMs;
    TimePoint due;
  };

  // An open dialog window. Its address is its window handle.
  struct Window {
    Dialog* dialog = nullptr;
    const DialogTemplate* dialogTemplate = nullptr;  // null for a template we do not know
    std::string caption;
    std::map<int, std::string> itemTexts;
    std::uint32_t progressRange = 100u << 16;  // PBM_SETRANGE's lParam; Windows' default 0-100
    int progressPos = 0;
    std::vector<Timer> timers;
    bool shown = false;  // its modal loop has begun (OnInitDialog has run)
    bool ended = false;
    int result = 0;

    WindowHandle handle() { return this; }
    int progressMin() const { return static_cast<int>(progressRange & 0xFFFFu); }
    int progressMax() const { return static_cast<int>(progressRange >> 16); }
    const std::string& Text(int itemId) const;
  };

  explicit FrontEndWindowSystem(std::string applicationTitle);
  ~FrontEndWindowSystem() override;

  int RunModalDialog(Dialog& dialog, WindowHandle parent) override;
  void EndDialog(WindowHandle window, int result) override;
  std::string ApplicationTitle() override { return applicationTitle_; }
  void SetWindowText(WindowHandle window, const std::string& text) override;
  void SetDlgItemText(WindowHandle window, int itemId, const std::string& text) override;
  std::string GetDlgItemText(WindowHandle window, int itemId) override;
  unsigned SetTimer(WindowHandle window, unsigned id, unsigned periodMs) override;
  void KillTimer(WindowHandle window, unsigned id) override;
  void SetProgressRange(WindowHandle window, int itemId, std::uint32_t lParam) override;
  void SetProgressPos(WindowHandle window, int itemId, int position) override;

  // The open windows, outermost first.
  const std::vector<std::unique_ptr<Window>>& windows() const { return windows_; }
  Window* Find(WindowHandle window);

 protected:
  // Runs the modal loop of `window`, the innermost open window, until window.ended. Called
  // after OnInitDialog and only when it did not end the dialog already.
  virtual void RunModalLoop(Window& window) = 0;

  // Hooks for front ends that show changes as they happen.
  virtual void OnWindowOpened(Window& /*window*/) {}
  virtual void OnWindowClosing(Window& /*window*/) {}
  virtual void OnItemTextChanged(Window& /*window*/, int /*itemId*/) {}
  virtual void OnProgressChanged(Window& /*window*/) {}

  // What the dialog manager does when a push button is clicked: IDOK reaches OnOK, IDCANCEL
  // OnCancel; other buttons have no handler in these dialogs.
  void PressButton(Window& window, int buttonId);

  // Delivers the ticks that are due at `now` to every open window whose modal loop has begun
  // and that has not ended, outermost first; answers how many were delivered. A tick's next one is
  // due a period after `now`: late ticks are not made up, as with WM_TIMER.
  int DeliverDueTimers(TimePoint now);
  // Delivers one tick of each of `window`'s timers at once, ignoring their due times.
  int DeliverTimersNow(Window& window);
  // When the next tick of any open window is due; nothing when no window has a timer.
  std::optional<TimePoint> NextTimerDue() const;

  // The clock of the timers; tests of a front end may stand in for it.
  virtual TimePoint Now() const { return std::chrono::steady_clock::now(); }

 private:
  bool IsOpen(const Window* window) const;

  std::string applicationTitle_;
  std::vector<std::unique_ptr<Window>> windows_;
};

}  // namespace setup
