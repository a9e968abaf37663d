// The installation page: preparation, the timer-driven step machine and the closing sequence.
#include "install/dlg_decompress.h"

#include <cstdint>
#include <limits>

#include "install/file_operations.h"
#include "install/file_placement.h"
#include "install/registry_entries.h"
#include "install/shortcuts.h"
#include "resources/resource.h"
#include "script/script_loader.h"

namespace setup {

namespace {

constexpr unsigned kStepTimerId = 1;
// A tick runs steps back to back for about kTickBudgetMs, then gives the window system its turn
// (painting, keys, the message boxes' loops) until the next tick, kStepPeriodMs after the last.
constexpr unsigned kStepPeriodMs = 20;
constexpr std::uint32_t kTickBudgetMs = 30;

}  // namespace

DlgDecompress::DlgDecompress(InstallContext& context, WindowHandle parent)
    : Dialog(context.platform.windows, IDD_DECOMPRESS, parent),
      m_nTimerId(0),
      m_nStep(0),
      m_bDllsUpgraded(0),
      m_bBusy(0),
      m_bStepsFailed(0),
      context_(context) {}

bool DlgDecompress::OnInitDialog() {
  Dialog::OnInitDialog();
  m_nTimerId = windows().SetTimer(m_hWnd, kStepTimerId, kStepPeriodMs);
  context_.decompressor.SetOwnerWindow(m_hWnd);
  context_.log.Write("Decompression box opened");

  // The timer runs from here on, and the boxes below run message loops that deliver it: a tick
  // then must not start a step on the tables of the start-up load before the run is prepared.
  m_bBusy = 1;
  if (PrepareRun() && m_nTimerId == 0) {
    // Without its timer the run would wait forever on a page the user cannot leave.
    ShowErrorBox(windows(),
                 "The installation cannot run: the system refused its timer.\nPlease close other "
                 "applications and start the installation again.");
    context_.log.Write("SetTimer failed, installation aborted");
    EndDialog(kRunAborted);
  }
  m_bBusy = 0;

  // Also after an abort: the bar's range is the file table's, N - 1 cut to 16 bits.
  const auto maximum = static_cast<std::uint16_t>(FileCount() - 1);
  windows().SetProgressRange(m_hWnd, IDC_PROGRESS, static_cast<std::uint32_t>(maximum) << 16);
  return true;
}

bool DlgDecompress::PrepareRun() {
  InstallLog& log = context_.log;
  if (EnsureDirectory(context_, m_strDestDir + "\\") == 0) {
    MessageBox("Failed to create destination directory, please check problem and restart install");
    EndRun(kRunAborted);
    return false;
  }

  if (log.Open(m_strDestDir + "\\SETUP.LOG") == 0) {
    const int answer = MessageBox("Failed to create setup log file, do you wish try to continue?",
                                  "Error", MB_YESNO);
    if (answer != IDYES) {
      EndRun(kRunAborted);
      return false;
    }
    // The run goes on, but an installation without its log is not a whole one.
    m_bStepsFailed = 1;
  }

  if (LoadFileList(context_.platform, context_.script, m_hWnd, "setup.drc", m_strDestDir.c_str()) ==
      0) {
    log.Write(
        "One or more files missing, LoadFileList(m_hWnd,\"setup.drc\",%s) failed. Installation "
        "aborted.",
        m_strDestDir.c_str());
    MessageBox("One or more files missing, cannot continue installation");
    EndRun(kRunAborted);
    return false;
  }

  recorder_ = InstallationRecorder::ForScript(context_);
  SettleTemporaryDirectory();
  return true;
}

void DlgDecompress::SettleTemporaryDirectory() {
  InstallLog& log = context_.log;
  FileSystem& files = context_.platform.files;
  std::string systemPath = files.GetTempPath();
  systemPath = systemPath.substr(0, systemPath.find('\0'));
  m_strTempDir = systemPath;
  log.Write("Temporary path: %s", systemPath.c_str());
  if (m_strTempDir.size() > 1 && m_strTempDir.back() == '\\') m_strTempDir.pop_back();

  const std::string withSeparator = m_strTempDir + "\\";
  if (EnsureDirectory(context_, withSeparator) == 0) {
    log.Write("EnsureDirectory(%s) returned FALSE.", withSeparator.c_str());
  }

  const std::optional<FindData> found = files.FindFirstFile(m_strTempDir);
  if (!found) return;
  if ((found->attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    log.Write("Temporary path exists and is ok");
    return;
  }
  ShowEngineError(
      "The specified Windows temporary directory setting is wrong.\nPlease correct the "
      "problem and reinstall.\nWrong path: " +
      m_strTempDir + "\n");
  EndRun(kRunAborted);
  log.Write("Temporary path is a file, not a directory. Must abort installation");
}

void DlgDecompress::OnTimer(unsigned /*timerId*/) {
  // A message box shown inside a step runs its own message loop, which delivers this timer too.
  if (m_bBusy != 0) return;
  m_bBusy = 1;
  RunStepsOfOneTick();
  m_bBusy = 0;
}

void DlgDecompress::RunStepsOfOneTick() {
  Clock& clock = context_.platform.clock;
  const std::uint32_t start = clock.Milliseconds();
  while (m_nStep >= 0 && !runEnded_) {
    // The host saves its registry after every tick: a tick that changed it ends there, so that a
    // kill still loses at most the step in progress.
    const bool changesRegistry = StepChangesRegistry();
    RunStep();
    if (changesRegistry || clock.Milliseconds() - start >= kTickBudgetMs) break;
  }
}

bool DlgDecompress::StepChangesRegistry() const {
  const int index = FileIndex();
  if (Phase() != 0) return false;
  if (index >= FileCount()) return true;
  return IsSharedLibrary(context_.script.files[static_cast<std::size_t>(index)].destination);
}

void DlgDecompress::RunStep() {
  const int index = FileIndex();
  const int phase = Phase();
  if (phase == 0 && index < FileCount()) {
    CheckFile(*this, index);
    return;
  }
  if (phase == 0) {
    RunClosingSequence();
    return;
  }
  if (phase == 1) PlaceFile(*this);
}

void DlgDecompress::RunClosingSequence() {
  InstallLog& log = context_.log;
  // Neither ends the run, but the run must not pass for a whole installation afterwards.
  if (CreateShortcuts(*this) != 0) m_bStepsFailed = 1;
  if (WriteRegistryEntries(*this) != 0) m_bStepsFailed = 1;
  // Before the box below, which may wait as long as the user likes.
  if (recorder_ && m_bDllsUpgraded != 0) static_cast<void>(recorder_->Save());
  log.Write("End of Installation");
  if (m_bDllsUpgraded != 0) {
    log.Write("Some dlls were upgraded");
    MessageBox(
        "Some system files (dlls) needed to be\nupgraded to newer versions. The old versions\nwere "
        "moved to the directory BACKUP, below\nthe application's directory.\n");
  }
  Finish();
  EndRun(kRunCompleted);
}

void DlgDecompress::OnDestroyWindow() {
  if (m_nTimerId != 0) windows().KillTimer(m_hWnd, m_nTimerId);
  context_.log.Write("Destroying decompression box");
  Dialog::OnDestroyWindow();
}

void DlgDecompress::EndRun(int result) {
  runEnded_ = true;
  if (recorder_) static_cast<void>(recorder_->Save());
  EndDialog(result);
}

void DlgDecompress::SetStatusText(const std::string& text) { SetDlgItemText(IDC_STATUS, text); }

void DlgDecompress::ShowEngineError(const std::string& text) {
  static_cast<void>(ShowErrorBox(windows(), text));
}

void DlgDecompress::SetProgressPos(int position) {
  windows().SetProgressPos(m_hWnd, IDC_PROGRESS, position);
}

int DlgDecompress::FileCount() const {
  const std::size_t count = context_.script.files.size();
  constexpr auto kLargest = static_cast<std::size_t>(std::numeric_limits<int>::max() / 10 - 1);
  return static_cast<int>(count < kLargest ? count : kLargest);
}

}  // namespace setup
