// The program's own folder on Linux: argument 0 and the current directory are native paths,
// outside the machine folder.
#pragma once

#include <string>

#include "platform/program_folder.h"

namespace setup {

class HostProgramFolder final : public ProgramFolder {
 public:
  explicit HostProgramFolder(std::string argument0) : argument0_(std::move(argument0)) {}

  std::string PathBeside(const std::string& name) override;
  std::unique_ptr<File> OpenBeside(const std::string& name, int* crtError) override;
  bool CurrentFolderHolds(const std::string& name) override;
  bool ProgramFolderHolds(const std::string& name) override;
  bool EnterProgramFolder() override;

 private:
  std::string argument0_;
};

}  // namespace setup
