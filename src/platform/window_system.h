// The window system: modal dialogs on their templates, message boxes, item texts, timers and the
// progress bar. One implementation per front end (Win32, terminal, line prompts, unattended,
// and the scripted host of the tests).
#pragma once

#include <cstdint>
#include <string>

#include "platform/win32_types.h"

namespace setup {

class Dialog;

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  // Creates the window of `dialog` from its template (Dialog::TemplateId()), sets
  // dialog.m_hWnd, calls OnInitDialog(), then runs the modal loop: Enter, the default button and
  // the OK button reach OnOK(); Esc, Cancel and the close box reach OnCancel(); timer ticks
  // reach OnTimer(). The loop ends once EndDialog() was called and the current message has been
  // handled (also when it was called from OnInitDialog: then no message is handled at all).
  // Before the window goes, OnDestroyWindow() runs. Answers the result given to EndDialog().
  virtual int RunModalDialog(Dialog& dialog, WindowHandle parent) = 0;

  // EndDialog: marks the modal loop of `window` to end with `result`.
  virtual void EndDialog(WindowHandle window, int result) = 0;

  // MessageBoxA(owner, text, caption, style); a null caption shows the system's default ("Error").
  // Runs a modal loop: timers of other windows keep being delivered while it is open.
  virtual int MessageBox(WindowHandle owner, const std::string& text, const char* caption,
                         unsigned style) = 0;

  // The application's title: the program file's name without directory and extension.
  virtual std::string ApplicationTitle() = 0;

  virtual void SetWindowText(WindowHandle window, const std::string& text) = 0;
  virtual void SetDlgItemText(WindowHandle window, int itemId, const std::string& text) = 0;
  virtual std::string GetDlgItemText(WindowHandle window, int itemId) = 0;

  // SetTimer(window, id, periodMs, NULL): answers the timer's identifier, 0 on failure.
  virtual unsigned SetTimer(WindowHandle window, unsigned id, unsigned periodMs) = 0;
  virtual void KillTimer(WindowHandle window, unsigned id) = 0;

  // The progress bar control: PBM_SETRANGE (lParam = MAKELPARAM(min, max)) and PBM_SETPOS.
  virtual void SetProgressRange(WindowHandle window, int itemId, std::uint32_t lParam) = 0;
  virtual void SetProgressPos(WindowHandle window, int itemId, int position) = 0;
};

}  // namespace setup
