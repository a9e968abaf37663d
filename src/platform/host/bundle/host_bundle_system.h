// The one-file installer's system operations on Linux.
#pragma once

#include "platform/bundle_system.h"

namespace setup {

class HostBundleSystem final : public BundleSystem {
 public:
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
};

}  // namespace setup
