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
#include "support/scripted_window_system.h"

namespace setup::testing {

// A clock that answers `now` (06 Dec 2026 08:11:32 at first), or fails when `fails` is set.
// Its steady count moves on by `millisecondsPerReading` at every reading: by default as much as
// a slow machine spends on one installation step, so every timer tick runs exactly one step.
class FakeClock : public Clock {
 public:
  FakeClock();
  bool LocalTime(std::tm* result) override;
  std::uint32_t Milliseconds() override;
  void Set(int year, int month /*1-12*/, int day, int hour, int minute, int second);

  std::tm now{};
  bool fails = false;
  std::uint32_t milliseconds = 0;
  std::uint32_t millisecondsPerReading = 1000;
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
  // When set, Save also writes each link there as a shell-link file, and fails as the real
  // IPersistFile::Save does when the folder is missing.
  FileSystem* linkFiles = nullptr;
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

// Every fake, and the Platform made of them.
struct FakePlatform {
  FakeFileSystem files;
  FakeRegistry registry;
  FakeShell shell;
  FakeVersionInfo versions;
  ScriptedWindowSystem windows;
  FakeClock clock;
  Platform platform{files, registry, shell, versions, windows, clock};
};

}  // namespace setup::testing
