// The uninstaller's progress page: one removal step per timer tick, a status line and a bar.
#pragma once

#include "platform/dialog.h"
#include "uninstall/uninstall_engine.h"

namespace setup {

class DlgUninstall : public Dialog {
 public:
  DlgUninstall(WindowSystem& windows, UninstallEngine& engine);

  bool OnInitDialog() override;
  void OnOK() override {}      // the removal cannot be ended half-way by the user
  void OnCancel() override {}  // nor interrupted
  // One step; a tick that arrives while a step shows a question does nothing.
  void OnTimer(unsigned timerId) override;
  void OnDestroyWindow() override;

 private:
  UninstallEngine& engine_;
  unsigned m_nTimerId = 0;
  std::size_t m_nStep = 0;
  int m_bBusy = 0;
};

}  // namespace setup
