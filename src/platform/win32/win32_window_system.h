// The Windows front end: the dialogs run modally with DialogBoxParamA on the program's resource
// templates, real message boxes, timers, item texts and the progress bar control.
#pragma once

#include "platform/win32/system_library.h"
#include "platform/window_system.h"

namespace setup {

// A dialog whose template has a system menu (the welcome page) also carries the program icon
// (resource 128): in its title bar, on the task bar and, when minimised, painted in its client
// area and used as its drag image.
class Win32WindowSystem final : public WindowSystem {
 public:
  // `instance`: the module (HINSTANCE) whose resources hold the templates and the icon.
  explicit Win32WindowSystem(void* instance);

  int RunModalDialog(Dialog& dialog, WindowHandle parent) override;
  void EndDialog(WindowHandle window, int result) override;
  int MessageBox(WindowHandle owner, const std::string& text, const char* caption,
                 unsigned style) override;
  std::string ApplicationTitle() override;
  void SetWindowText(WindowHandle window, const std::string& text) override;
  void SetDlgItemText(WindowHandle window, int itemId, const std::string& text) override;
  std::string GetDlgItemText(WindowHandle window, int itemId) override;
  unsigned SetTimer(WindowHandle window, unsigned id, unsigned periodMs) override;
  void KillTimer(WindowHandle window, unsigned id) override;
  void SetProgressRange(WindowHandle window, int itemId, std::uint32_t lParam) override;
  void SetProgressPos(WindowHandle window, int itemId, int position) override;

  void* instance() const { return instance_; }

 private:
  void* instance_;
  SystemLibrary commonControls_{"comctl32.dll"};
};

// The program file's name without directory and extension ("Setup" for C:\x\Setup.exe).
std::string ProgramTitle();

}  // namespace setup
