// The one-file installer's system operations on Linux.
#pragma once

#include "platform/bundle_system.h"

namespace setup {

// Also what a stub does about signals and about the folders of stubs that were killed. TERM,
// HUP and INT (those not ignored when the stub started) are handed on to the installer; the stub
// waits for it, removes its folder and then ends by the same signal. One that comes during the
// extraction stops it, the folder is removed, and the stub ends by the signal too. The folder is
// locked (flock) while it lives, by the stub and the installer it starts; before a new folder
// is made, every setup-bundle folder of this user whose lock is free is removed.
class HostBundleSystem final : public BundleSystem {
 public:
  HostBundleSystem();
  ~HostBundleSystem() override;
  HostBundleSystem(const HostBundleSystem&) = delete;
  HostBundleSystem& operator=(const HostBundleSystem&) = delete;

  std::string OwnProgramPath() override;
  std::unique_ptr<File> OpenForReading(const std::string& path) override;
  std::string CreatePrivateFolder(std::string* error) override;
  bool CreateFolder(const std::string& path) override;
  std::unique_ptr<File> CreateFile(const std::string& path, bool executable) override;
  void RemoveTree(const std::string& path) override;
  int RunAndWait(const std::string& folder, const std::string& program,
                 const std::vector<std::string>& arguments, std::string* error) override;
  void ShowError(const std::string& text) override;
  std::string InstallerName() const override { return "setup"; }
  char PathSeparator() const override { return '/'; }

  // The stub's exit status: `status`, unless a signal came, by which the stub then ends (128 +
  // its number where it cannot be raised again).
  int EndWith(int status);

 private:
  int folderLock_ = -1;  // the open folder, flock'ed; inherited by the installer
};

}  // namespace setup
