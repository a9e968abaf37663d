// Files beside the Linux program, found in any letter case as the machine's files are.
#include "platform/host/host_program_folder.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "platform/ascii_case.h"
#include "platform/host/files/stdio_file.h"
#include "platform/own_program.h"

namespace setup {
namespace {

bool FolderHolds(const std::filesystem::path& folder, const std::string& name) {
  std::error_code error;
  for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
       entry.increment(error)) {
    if (EqualsIgnoringAsciiCase(entry->path().filename().string(), name) &&
        entry->is_regular_file(error)) {
      return true;
    }
  }
  return false;
}

std::filesystem::path OwnFolder() {
  const std::string self = OwnProgramPath();
  return self.empty() ? std::filesystem::path() : std::filesystem::path(self).parent_path();
}

}  // namespace

std::string HostProgramFolder::PathBeside(const std::string& name) {
  return PathBesideArgument0(argument0_, name, /*slashIsSeparator=*/true);
}

std::unique_ptr<File> HostProgramFolder::OpenBeside(const std::string& name, int* crtError) {
  return StdioFile::Open(PathBeside(name), OpenMode::kReadBinary, crtError);
}

bool HostProgramFolder::CurrentFolderHolds(const std::string& name) {
  return FolderHolds(".", name);
}

bool HostProgramFolder::ProgramFolderHolds(const std::string& name) {
  const std::filesystem::path folder = OwnFolder();
  return !folder.empty() && FolderHolds(folder, name);
}

bool HostProgramFolder::EnterProgramFolder() {
  const std::filesystem::path folder = OwnFolder();
  if (folder.empty() || chdir(folder.c_str()) != 0) return false;
  // Argument 0 may be relative to the folder just left; the program's own path is not.
  argument0_ = OwnProgramPath();
  return true;
}

}  // namespace setup
