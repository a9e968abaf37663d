// A program folder for tests: the names each folder holds are given, files beside the program
// open from a folder of the fake machine, and entering is recorded.
#pragma once

#include <set>
#include <string>

#include "platform/program_folder.h"

namespace setup::testing {

class FakeProgramFolder final : public ProgramFolder {
 public:
  // `files` opens the files beside the program, in `folder` (a Windows path ending in '\').
  FakeProgramFolder(FileSystem& files, std::string folder)
      : files_(files), folder_(std::move(folder)) {}

  std::string PathBeside(const std::string& name) override { return folder_ + name; }
  std::unique_ptr<File> OpenBeside(const std::string& name, int* crtError) override {
    return files_.Open(PathBeside(name), OpenMode::kReadBinary, crtError);
  }
  bool CurrentFolderHolds(const std::string& name) override { return current.count(name) > 0; }
  bool ProgramFolderHolds(const std::string& name) override { return program.count(name) > 0; }
  bool EnterProgramFolder() override {
    if (!canEnter) return false;
    entered = true;
    return true;
  }

  std::set<std::string> current;  // the names the current directory holds
  std::set<std::string> program;  // the names the program's folder holds
  bool canEnter = true;
  bool entered = false;

 private:
  FileSystem& files_;
  std::string folder_;
};

}  // namespace setup::testing
