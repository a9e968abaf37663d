// The deferred removal of Uninstall.exe through a copy of it in the temporary directory.
#include "platform/win32/win32_program_remover.h"

#include "platform/own_program.h"
#include "platform/win32/scoped_handle.h"
#include "platform/win32/windows_headers.h"

namespace setup {
namespace {

std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  quoted += text;
  quoted += "\"";
  return quoted;
}

}  // namespace

Win32Error Win32ProgramRemover::RemoveProgram(const std::string& path, bool* deferred) {
  *deferred = false;
  if (DeleteFileA(path.c_str()) != 0) return kErrorSuccess;
  // The copy is made now, while the removal can still report that it failed; only starting
  // it waits until the program ends.
  char temp[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathA(sizeof temp, temp);
  if (length == 0 || length >= sizeof temp) return kErrorPathNotFound;
  // Built piece by piece: one concatenation trips a false -Wrestrict in MinGW's GCC 12.
  std::string copy = temp;
  copy += "Uninstall-";
  copy += std::to_string(GetCurrentProcessId());
  copy += ".exe";
  if (CopyFileA(path.c_str(), copy.c_str(), FALSE) == 0) return GetLastError();
  tempDir_ = temp;
  copy_ = copy;
  program_ = path;
  *deferred = true;
  return kErrorSuccess;
}

void Win32ProgramRemover::RemoveDirectoryLater(const std::string& directory) {
  directories_.push_back(directory);
}

void Win32ProgramRemover::Finish() {
  if (program_.empty()) return;
  std::string commandLine = Quoted(copy_) +
                            " --remove-after=" + std::to_string(GetCurrentProcessId()) + " " +
                            Quoted(program_);
  for (const std::string& directory : directories_) commandLine += " " + Quoted(directory);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (CreateProcessA(copy_.c_str(), commandLine.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS,
                     nullptr, tempDir_.c_str(), &startup, &process) != 0) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return;
  }
  // Without the copy the next start of Windows removes them (a directory only when empty).
  MoveFileExA(program_.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  for (const std::string& directory : directories_) {
    MoveFileExA(directory.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  }
  MoveFileExA(copy_.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

int RemoveAfterProcess(unsigned long processId, const std::vector<std::string>& paths) {
  {
    HANDLE waited = OpenProcess(SYNCHRONIZE, FALSE, processId);
    if (waited != nullptr) {
      WaitForSingleObject(waited, 60000);
      CloseHandle(waited);
    }
  }
  if (!paths.empty()) {
    // The system may hold the file a moment after the process has ended.
    for (int attempt = 0; attempt < 50; ++attempt) {
      if (DeleteFileA(paths[0].c_str()) != 0 || GetLastError() == ERROR_FILE_NOT_FOUND) break;
      Sleep(100);
    }
  }
  for (std::size_t i = 1; i < paths.size(); ++i) RemoveDirectoryA(paths[i].c_str());
  const std::string self = OwnProgramPath();
  if (!self.empty()) MoveFileExA(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  return 0;
}

}  // namespace setup
