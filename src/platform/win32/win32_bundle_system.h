// The one-file installer's system operations on Windows.
#pragma once

#include "platform/bundle_system.h"
#include "platform/win32/win32_file_system.h"

namespace setup {

// Also what a stub does about folders it cannot remove itself: while a folder lives, a lock file
// in it is held open without sharing, by the stub and the installer it starts. Before a new
// folder is made, every SetupBundle folder whose lock file can be deleted (nobody holds it: its
// stub and installer have ended, killed or not) is removed. A closed console, a logoff or a
// shutdown (SetConsoleCtrlHandler) ends the installer, removes the folder and ends the stub.
class Win32BundleSystem final : public BundleSystem {
 public:
  Win32BundleSystem();
  ~Win32BundleSystem() override;
  Win32BundleSystem(const Win32BundleSystem&) = delete;
  Win32BundleSystem& operator=(const Win32BundleSystem&) = delete;

  std::string OwnProgramPath() override;
  std::unique_ptr<File> OpenForReading(const std::string& path) override;
  std::string CreatePrivateFolder(std::string* error) override;
  bool CreateFolder(const std::string& path) override;
  std::unique_ptr<File> CreateFile(const std::string& path, bool executable) override;
  void RemoveTree(const std::string& path) override;
  int RunAndWait(const std::string& folder, const std::string& program,
                 const std::vector<std::string>& arguments, std::string* error) override;
  void ShowError(const std::string& text) override;
  std::string InstallerName() const override { return "Setup.exe"; }
  char PathSeparator() const override { return '\\'; }

 private:
  Win32FileSystem files_;
  // The folder's lock file (a HANDLE; null when none), inherited by the installer. The header
  // stays free of <windows.h>, whose CreateFile macro would rename the interface's method.
  void* lock_ = nullptr;
};

}  // namespace setup
