// The program's own folder on Windows.
#pragma once

#include <string>

#include "platform/program_folder.h"

namespace setup {

class Win32ProgramFolder final : public ProgramFolder {
 public:
  // `files` opens the files beside the program; `argument0` as the program was started.
  Win32ProgramFolder(FileSystem& files, std::string argument0)
      : files_(files), argument0_(std::move(argument0)) {}

  std::string PathBeside(const std::string& name) override;
  std::unique_ptr<File> OpenBeside(const std::string& name, int* crtError) override;
  bool CurrentFolderHolds(const std::string& name) override;
  bool ProgramFolderHolds(const std::string& name) override;
  bool EnterProgramFolder() override;

 private:
  FileSystem& files_;
  std::string argument0_;
};

}  // namespace setup
