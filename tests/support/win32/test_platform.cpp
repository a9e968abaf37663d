// The machine under test on Windows: the real file system below the temporary directory and the
// real registry below HKEY_CURRENT_USER\Software\SetupTests.
#include "support/test_platform.h"

#include <atomic>
#include <string>

#include "platform/win32/scoped_handle.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_version_info.h"
#include "platform/win32/windows_headers.h"

namespace setup::testing {
namespace {

// Removes a folder and everything in it, read-only entries included.
void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA entry;
  ScopedFindHandle find(FindFirstFileA((folder + "\\*").c_str(), &entry));
  if (find.valid()) {
    do {
      const std::string name = entry.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = folder + "\\" + name;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        RemoveTree(path);
      } else {
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(find.get(), &entry));
  }
  find.reset();
  RemoveDirectoryA(folder.c_str());
}

std::string UniqueName() {
  static std::atomic<unsigned> counter{0};
  return "setup-test-" + std::to_string(GetCurrentProcessId()) + "-" +
         std::to_string(GetTickCount()) + "-" + std::to_string(counter++);
}

}  // namespace

TestMachine MakeTestMachine() {
  TestMachine machine;
  auto files = std::make_unique<Win32FileSystem>();
  std::string temp = files->GetTempPath();
  if (!temp.empty() && temp.back() == '\\') temp.pop_back();
  const std::string name = UniqueName();
  machine.scratch = temp + "\\" + name;
  CreateDirectoryA(machine.scratch.c_str(), nullptr);
  machine.registryKey = "Software\\SetupTests\\" + name;

  const std::string scratch = machine.scratch;
  const std::string key = machine.registryKey;
  machine.cleanup = std::shared_ptr<void>(nullptr, [scratch, key](void*) {
    RemoveTree(scratch);
    RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
  });
  machine.files = std::move(files);
  machine.registry = std::make_unique<Win32Registry>();
  machine.shell = std::make_unique<Win32Shell>();
  machine.versions = std::make_unique<Win32VersionInfo>();
  return machine;
}

}  // namespace setup::testing
