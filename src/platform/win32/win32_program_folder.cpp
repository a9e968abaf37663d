// Files beside the Windows program, and entering its folder.
#include "platform/win32/win32_program_folder.h"

#include "platform/own_program.h"
#include "platform/win32/windows_headers.h"

namespace setup {
namespace {

bool IsFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The folder of the program's file, with its final '\'; empty when the system cannot tell it.
std::string OwnFolder() {
  const std::string self = OwnProgramPath();
  const std::string::size_type cut = self.find_last_of("\\/");
  return cut == std::string::npos ? std::string() : self.substr(0, cut + 1);
}

}  // namespace

std::string Win32ProgramFolder::PathBeside(const std::string& name) {
  return PathBesideArgument0(argument0_, name, /*slashIsSeparator=*/false);
}

std::unique_ptr<File> Win32ProgramFolder::OpenBeside(const std::string& name, int* crtError) {
  return files_.Open(PathBeside(name), OpenMode::kReadBinary, crtError);
}

bool Win32ProgramFolder::CurrentFolderHolds(const std::string& name) { return IsFile(name); }

bool Win32ProgramFolder::ProgramFolderHolds(const std::string& name) {
  const std::string folder = OwnFolder();
  return !folder.empty() && IsFile(folder + name);
}

bool Win32ProgramFolder::EnterProgramFolder() {
  const std::string folder = OwnFolder();
  if (folder.empty() || !SetCurrentDirectoryA(folder.c_str())) return false;
  // Argument 0 may be relative to the folder just left; the program's own path is not.
  argument0_ = OwnProgramPath();
  return true;
}

}  // namespace setup
