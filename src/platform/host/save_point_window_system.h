// The front end's window system with the host's save points: the registry is saved at the end
// of every timer tick and before every message box.
#pragma once

#include <functional>
#include <string>

#include "platform/window_system.h"

namespace setup {

// Forwards everything to the front end's window system. `savePoint` runs after each timer tick
// a dialog has handled (one step of the installation) and before each message box, which may
// wait for the user as long as he likes: a crash then loses at most the step in progress.
class SavePointWindowSystem final : public WindowSystem {
 public:
  SavePointWindowSystem(WindowSystem& frontEnd, std::function<void()> savePoint)
      : frontEnd_(frontEnd), savePoint_(std::move(savePoint)) {}

  int RunModalDialog(Dialog& dialog, WindowHandle parent) override;
  void EndDialog(WindowHandle window, int result) override { frontEnd_.EndDialog(window, result); }
  int MessageBox(WindowHandle owner, const std::string& text, const char* caption,
                 unsigned style) override;
  std::string ApplicationTitle() override { return frontEnd_.ApplicationTitle(); }
  void SetWindowText(WindowHandle window, const std::string& text) override {
    frontEnd_.SetWindowText(window, text);
  }
  void SetDlgItemText(WindowHandle window, int itemId, const std::string& text) override {
    frontEnd_.SetDlgItemText(window, itemId, text);
  }
  std::string GetDlgItemText(WindowHandle window, int itemId) override {
    return frontEnd_.GetDlgItemText(window, itemId);
  }
  unsigned SetTimer(WindowHandle window, unsigned id, unsigned periodMs) override {
    return frontEnd_.SetTimer(window, id, periodMs);
  }
  void KillTimer(WindowHandle window, unsigned id) override { frontEnd_.KillTimer(window, id); }
  void SetProgressRange(WindowHandle window, int itemId, std::uint32_t lParam) override {
    frontEnd_.SetProgressRange(window, itemId, lParam);
  }
  void SetProgressPos(WindowHandle window, int itemId, int position) override {
    frontEnd_.SetProgressPos(window, itemId, position);
  }

 private:
  WindowSystem& frontEnd_;
  std::function<void()> savePoint_;
};

}  // namespace setup
