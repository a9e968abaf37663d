// DlgDecompress: the installation page, which drives the whole run one timer tick at a time.
#pragma once

#include <memory>
#include <string>

#include "install/install_context.h"
#include "install/install_page.h"
#include "install/installation_recorder.h"
#include "platform/dialog.h"

namespace setup {

class DlgDecompress : public Dialog, public InstallPage {
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

  // InstallPage: what the steps see of this page.
  const InstallContext& context() const override { return context_; }
  std::string& SourcePath() override { return m_strSource; }
  std::string& DestinationPath() override { return m_strDest; }
  const std::string& DestinationDirectory() const override { return m_strDestDir; }
  const std::string& TemporaryDirectory() const override { return m_strTempDir; }
  int& DllsUpgraded() override { return m_bDllsUpgraded; }
  InstallationRecorder* Recorder() override { return recorder_.get(); }
  void SetStatusText(const std::string& text) override;
  void SetProgressPos(int position) override;
  int ShowPageBox(const std::string& text) override { return MessageBox(text); }
  void ShowEngineError(const std::string& text) override;
  // An abort keeps what was done recorded; no step runs after the run has ended.
  void EndRun(int result) override;
  void GoToPlacement() override { m_nStep += 1; }
  void SkipFile() override { m_nStep += 10; }
  void GoToNextFile() override { m_nStep += 9; }

  // What the wizard gives and takes back: the chosen directory before the run, and after it
  // whether a step of the closing sequence failed.
  void SetDestinationDirectory(const std::string& directory) { m_strDestDir = directory; }
  bool StepsFailed() const { return m_bStepsFailed != 0; }
  // What a test of the run looks at once the page has ended.
  int Step() const { return m_nStep; }
  bool Busy() const { return m_bBusy != 0; }
  // Ends the run as a finished step machine does, for a test of a tick after the end.
  void MarkFinished() { Finish(); }

 private:
  unsigned m_nTimerId;
  int m_nStep;  // 10 * file index + phase (0 check, 1 placement); 10 * N closes; -1 finished
  int m_bDllsUpgraded;
  int m_bBusy;
  int m_bStepsFailed;  // no log file, or a shortcut or registry value of the closing sequence
                       // failed
  std::string m_strSource;
  std::string m_strDest;
  std::string m_strDestDir;
  std::string m_strTempDir;

  // Steps 5 to 11 of the preparation; false when the run was ended.
  bool PrepareRun();
  void SettleTemporaryDirectory();
  // The steps of one timer tick: back to back while the tick's time lasts, one at a time where a
  // step changes the registry, none after the run has ended.
  void RunStepsOfOneTick();
  bool StepChangesRegistry() const;
  void RunStep();
  void RunClosingSequence();
  int FileCount() const;
  // The file index and phase m_nStep encodes; the closing sequence is index N, phase 0.
  int FileIndex() const { return m_nStep / 10; }
  int Phase() const { return m_nStep % 10; }
  void Finish() { m_nStep = -1; }

  InstallContext& context_;
  std::unique_ptr<InstallationRecorder> recorder_;
  bool runEnded_ = false;
};

}  // namespace setup
