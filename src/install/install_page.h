// InstallPage: what the installation steps (file placement, shortcuts, registry entries) may do
// to the page that runs them, and nothing more.
#pragma once

#include <string>

#include "install/install_context.h"
#include "platform/win32_types.h"

namespace setup {

class InstallationRecorder;

// How a run ends: the page's modal result.
inline constexpr int kRunCompleted = IDOK;  // through the closing sequence
inline constexpr int kRunAborted = 2;       // any abort

class InstallPage {
 public:
  // The engine's context: platform, script tables, log, decoder.
  virtual const InstallContext& context() const = 0;

  // The file in hand, set by its check and used by its placement.
  virtual std::string& SourcePath() = 0;       // m_strSource
  virtual std::string& DestinationPath() = 0;  // m_strDest
  // The installation directory as chosen (m_strDestDir) and the temporary directory without a
  // trailing backslash (m_strTempDir).
  virtual const std::string& DestinationDirectory() const = 0;
  virtual const std::string& TemporaryDirectory() const = 0;
  // Set to 1 by the DLL backup when it moved an older library into Backup (m_bDllsUpgraded).
  virtual int& DllsUpgraded() = 0;

  // Writes down what the run does when the distribution carries the uninstaller; else null.
  virtual InstallationRecorder* Recorder() = 0;

  // The status line and the progress bar's position.
  virtual void SetStatusText(const std::string& text) = 0;
  virtual void SetProgressPos(int position) = 0;
  // A box owned by the page; no caption means the application's title. Answers the button.
  virtual int ShowPageBox(const std::string& text) = 0;
  // The engine's error box: no owner, caption "Error", a stop icon.
  virtual void ShowEngineError(const std::string& text) = 0;
  // Ends the run with `result`; the step that asks runs on to its own end.
  virtual void EndRun(int result) = 0;

  // The moves of the step counter (10 * file index + phase) the steps make.
  virtual void GoToPlacement() = 0;  // check -> placement of the same file
  virtual void SkipFile() = 0;       // check -> check of the next file
  virtual void GoToNextFile() = 0;   // placement -> check of the next file

 protected:
  ~InstallPage() = default;
};

}  // namespace setup
