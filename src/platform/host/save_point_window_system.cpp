// The front end's window system with the host's save points: the registry is saved at the end
// of every timer tick and before every message box.
#include "platform/host/save_point_window_system.h"

#include "platform/dialog.h"

namespace setup {

namespace {

// Stands in for a dialog before the front end, handing every handler on and adding the save
// point after each tick. The dialog keeps the window's handle the front end gives.
class TickSavingDialog final : public Dialog {
 public:
  TickSavingDialog(WindowSystem& frontEnd, Dialog& dialog, const std::function<void()>& savePoint)
      : Dialog(frontEnd, dialog.TemplateId()), dialog_(dialog), savePoint_(savePoint) {}

  bool OnInitDialog() override {
    dialog_.m_hWnd = m_hWnd;
    return dialog_.OnInitDialog();
  }
  void OnOK() override { dialog_.OnOK(); }
  void OnCancel() override { dialog_.OnCancel(); }
  void OnTimer(unsigned timerId) override {
    dialog_.OnTimer(timerId);
    savePoint_();
  }
  void OnDestroyWindow() override { dialog_.OnDestroyWindow(); }

 private:
  Dialog& dialog_;
  const std::function<void()>& savePoint_;
};

}  // namespace

int SavePointWindowSystem::RunModalDialog(Dialog& dialog, WindowHandle parent) {
  TickSavingDialog standIn(frontEnd_, dialog, savePoint_);
  const int result = frontEnd_.RunModalDialog(standIn, parent);
  dialog.m_hWnd = nullptr;
  return result;
}

int SavePointWindowSystem::MessageBox(WindowHandle owner, const std::string& text,
                                      const char* caption, unsigned style) {
  savePoint_();
  return frontEnd_.MessageBox(owner, text, caption, style);
}

}  // namespace setup
