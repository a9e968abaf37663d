// DlgDecompress: the installation page, which drives the whole run one timer tick at a time.
#pragma once

#include <string>

#include "install/install_context.h"
#include "platform/dialog.h"

namespace setup {

class DlgDecompress : public Dialog {
 public:
  explicit DlgDecompress(InstallContext& context, WindowHandle parent = nullptr);

  bool OnInitDialog() override;
  void OnOK() override {}      // the run cannot be ended by the user
  void OnCancel() override {}  // nor interrupted
  void OnTimer(unsigned timerId) override;
  void OnDestroyWindow() override;

  unsigned m_nTimerId = 0;
  int m_nStep = 0;
  int m_bDllsUpgraded = 0;
  int m_bBusy = 0;
  std::string m_strSource;
  std::string m_strDest;
  std::string m_strDestDir;
  std::string m_strTempDir;

 private:
  InstallContext& context_;
};

}  // namespace setup
