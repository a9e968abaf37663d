// In-memory fakes of every platform interface, and FakePlatform, which bundles them into the
// Platform that core code takes. Tests arrange a fake's public fields and check them after.
#pragma once

#include <ctime>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "platform/dialog.h"
#include "platform/platform.h"
#include "platform/shell.h"
#include "platform/version_info.h"
#include "platform/window_system.h"
#include "support/fake_file_system.h"
#include "support/fake_registry.h"

namespace setup::testing {

// A clock that answers `now` (06 Dec 2026 08:11:32 at first), or fails when `fails` is set.
class FakeClock : public Clock {
 public:
  FakeClock();
  bool LocalTime(std::tm* result) override;
  void Set(int year, int month /*1-12*/, int day, int hour, int minute, int second);

  std::tm now{};
  bool fails = false;
};

// What one shell link was told before Save().
struct SavedShellLink {
  std::string path;         // SetPath
  std::string description;  // SetDescription
  std::u16string file;      // where Save() wrote it
  bool remember = false;
};

// The shell: a settable Programs folder, and shell links that are recorded instead of written.
class FakeShell : public Shell {
 public:
  bool GetProgramsFolder(WindowHandle owner, std::string* path) override;
  void CoInitialize() override { ++coInitializeCalls; }
  void CoUninitialize() override { ++coUninitializeCalls; }
  HResult CreateShellLink(std::unique_ptr<ShellLink>* link) override;
  // Widens byte by byte (Latin-1), which is exact for ASCII texts.
  bool MultiByteToWideChar(const std::string& text, int maxUnits, std::u16string* wide) override;

  std::string programsFolder = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";
  bool programsFolderFails = false;
  int programsFolderCalls = 0;
  WindowHandle lastOwner = nullptr;

  HResult createLinkResult = kSOk;  // a failure makes CreateShellLink answer it
  HResult saveResult = kSOk;        // what Save() answers; a link is recorded only on success
  int coInitializeCalls = 0;
  int coUninitializeCalls = 0;
  std::vector<SavedShellLink> savedLinks;
};

// Version resources for chosen paths: a file has a version when `versions` holds it.
class FakeVersionInfo : public VersionInfo {
 public:
  std::uint32_t GetFileVersionInfoSize(const std::string& path) override;
  bool GetFileVersionInfo(const std::string& path, std::uint32_t size, void* block) override;
  bool QueryRootValue(const void* block, const void** record, std::uint32_t* length) override;

  // Sets the version (major, minor) of `path`, matched without regard to case.
  void SetVersion(const std::string& path, std::uint16_t major, std::uint16_t minor);
  std::map<std::string, FixedFileInfo, CaseInsensitiveLess> versions;
};

// A message box as it was shown.
struct ShownMessageBox {
  WindowHandle owner;
  std::string text;
  std::string caption;  // "" when the call passed none
  bool hadCaption;
  unsigned style;
};

// A window system without windows. RunModalDialog gives the dialog a handle, calls
// OnInitDialog, then (unless the dialog ended itself) runs `onModal` if set, else ends with
// IDCANCEL; then OnDestroyWindow. Message boxes are recorded and answered from
// `messageBoxAnswers` (IDOK when it is empty). Item texts and timers are remembered.
class FakeWindowSystem : public WindowSystem {
 public:
  int RunModalDialog(Dialog& dialog, WindowHandle parent) override;
  void EndDialog(WindowHandle window, int result) override;
  int MessageBox(WindowHandle owner, const std::string& text, const char* caption,
                 unsigned style) override;
  std::string ApplicationTitle() override { return applicationTitle; }
  void SetWindowText(WindowHandle window, const std::string& text) override;
  void SetDlgItemText(WindowHandle window, int itemId, const std::string& text) override;
  std::string GetDlgItemText(WindowHandle window, int itemId) override;
  unsigned SetTimer(WindowHandle window, unsigned id, unsigned periodMs) override;
  void KillTimer(WindowHandle window, unsigned id) override;
  void SetProgressRange(WindowHandle window, int itemId, std::uint32_t lParam) override;
  void SetProgressPos(WindowHandle window, int itemId, int position) override;

  std::string applicationTitle = "Setup";
  std::function<void(Dialog&)> onModal;
  std::deque<int> messageBoxAnswers;
  std::vector<ShownMessageBox> messageBoxes;
  std::map<WindowHandle, std::string> windowTexts;
  std::map<std::pair<WindowHandle, int>, std::string> itemTexts;
  std::map<std::pair<WindowHandle, unsigned>, unsigned> timers;  // id -> period
  std::map<std::pair<WindowHandle, int>, std::uint32_t> progressRanges;
  std::map<std::pair<WindowHandle, int>, int> progressPositions;

 private:
  std::map<WindowHandle, int> endResults_;
  std::uintptr_t nextWindow_ = 0x100;
};

// Every fake, and the Platform made of them.
struct FakePlatform {
  FakeFileSystem files;
  FakeRegistry registry;
  FakeShell shell;
  FakeVersionInfo versions;
  FakeWindowSystem windows;
  FakeClock clock;
  Platform platform{files, registry, shell, versions, windows, clock};
};

}  // namespace setup::testing
