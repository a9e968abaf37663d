// The running program's own folder: the files a distribution keeps beside the program (the
// welcome text), and the folder to work in when the program was started from another one.
#pragma once

#include <memory>
#include <string>

#include "platform/file_system.h"

namespace setup {

class ProgramFolder {
 public:
  virtual ~ProgramFolder() = default;

  // The path by which the file `name` beside the program is opened and logged: the folder of
  // the path the program was started by (argument 0), then `name`; the bare name (the current
  // directory) when that path names no folder.
  virtual std::string PathBeside(const std::string& name) = 0;
  // Opens that file for reading; null with the C runtime's errno value in *crtError otherwise.
  virtual std::unique_ptr<File> OpenBeside(const std::string& name, int* crtError) = 0;
  // Whether the current directory holds a file `name` (in any letter case).
  virtual bool CurrentFolderHolds(const std::string& name) = 0;
  // Whether the folder of the program's own file, as the system tells it, holds `name`.
  virtual bool ProgramFolderHolds(const std::string& name) = 0;
  // Makes the program's own folder the current directory and the folder files beside the
  // program come from; false (nothing changed) when it cannot.
  virtual bool EnterProgramFolder() = 0;
};

// `name` in the folder of `argument0`: up to its last '\' or ':', and '/' too when
// `slashIsSeparator`; the bare name when there is none or the only one is the first character.
std::string PathBesideArgument0(const std::string& argument0, const std::string& name,
                                bool slashIsSeparator);

}  // namespace setup
