// DlgDecompress: the installation page, which drives the whole run one timer tick at a time.
#pragma once

#include <string>

#include "install/install_context.h"
#include "platform/dialog.h"

namespace setup {

class DlgDecompress : public Dialog {
 public:
  explicit DlgDecompress(InstallContext& context, WindowHandle parent = nullptr);

  // Prepares the run: installation directory, log file, the script loaded against the chosen
  // directory, the temporary directory, the timer and the progress range.
  bool OnInitDialog() override;
  void OnOK() override {}      // the run cannot be ended by the user
  void OnCancel() override {}  // nor interrupted
  // One step of the run; a tick that arrives while a step is in progress does nothing.
  void OnTimer(unsigned timerId) override;
  void OnDestroyWindow() override;

  // What the steps use besides the fields: the engine's context, the status line, the progress
  // bar, boxes owned by this dialog, and ending the run (the current step still runs to its end).
  InstallContext& context() { return context_; }
  void SetStatusText(const std::string& text);
  void SetProgressPos(int position);
  using Dialog::EndDialog;
  using Dialog::MessageBox;

  unsigned m_nTimerId;
  int m_nStep;  // 10 * file index + phase (0 check, 1 placement); 10 * N closes; -1 finished
  int m_bDllsUpgraded;
  int m_bBusy;
  int m_bStepsFailed;  // a shortcut or registry value of the closing sequence failed
  std::string m_strSource;
  std::string m_strDest;
  std::string m_strDestDir;
  std::string m_strTempDir;

 private:
  // Steps 5 to 11 of the preparation; false when the run was ended.
  bool PrepareRun();
  void SettleTemporaryDirectory();
  void RunStep();
  void RunClosingSequence();
  int FileCount() const;

  InstallContext& context_;
};

}  // namespace setup
