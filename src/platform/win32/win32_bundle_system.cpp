// The one-file installer's system operations on Windows.
#include "platform/win32/win32_bundle_system.h"

#include <cstdio>

#include "platform/own_program.h"
#include "platform/win32/scoped_handle.h"
#include "platform/win32/win32_error.h"
#include "platform/win32/windows_headers.h"

// The interface's own CreateFile, not the kernel32 macro.
#undef CreateFile

namespace setup {
namespace {

std::string LastErrorText() {
  char buffer[512] = {};
  const DWORD code = GetLastError();
  if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                     buffer, sizeof buffer, nullptr) == 0) {
    std::snprintf(buffer, sizeof buffer, "error %lu", static_cast<unsigned long>(code));
  }
  std::string text = buffer;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.')) {
    text.pop_back();
  }
  return text;
}

// One argument quoted so that the C runtime's split gives it back unchanged.
std::string Quote(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  quoted += '"';
  return quoted;
}

void RemoveBelow(const std::string& folder) {
  WIN32_FIND_DATAA data;
  std::string pattern = folder;
  pattern += "\\*";
  ScopedHandle<FindHandleTraits> find(FindFirstFileA(pattern.c_str(), &data));
  if (!find.valid()) return;
  do {
    const std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    std::string path = folder;
    path += '\\';
    path += name;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      RemoveBelow(path);
      RemoveDirectoryA(path.c_str());
    } else {
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(path.c_str());
    }
  } while (FindNextFileA(find.get(), &data));
}

}  // namespace

std::string Win32BundleSystem::OwnProgramPath() { return setup::OwnProgramPath(); }

std::unique_ptr<File> Win32BundleSystem::OpenForReading(const std::string& path) {
  return files_.Open(path, OpenMode::kReadBinary, nullptr);
}

std::string Win32BundleSystem::CreatePrivateFolder(std::string* error) {
  // The user's own temporary folder: its permissions keep other users out.
  char temp[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathA(sizeof temp, temp);
  if (length == 0 || length > MAX_PATH) {
    *error = LastErrorText();
    return std::string();
  }
  std::string base(temp, length);
  if (!base.empty() && base.back() != '\\') base += '\\';
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    char name[64];
    std::snprintf(name, sizeof name, "SetupBundle-%lx-%lx-%u",
                  static_cast<unsigned long>(GetCurrentProcessId()),
                  static_cast<unsigned long>(GetTickCount()), attempt);
    std::string folder = base;
    folder += name;
    if (CreateDirectoryA(folder.c_str(), nullptr)) return folder;
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  *error = LastErrorText();
  return std::string();
}

bool Win32BundleSystem::CreateFolder(const std::string& path) {
  return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::unique_ptr<File> Win32BundleSystem::CreateFile(const std::string& path, bool) {
  return files_.Open(path, OpenMode::kWriteBinary, nullptr);
}

void Win32BundleSystem::RemoveTree(const std::string& path) {
  RemoveBelow(path);
  RemoveDirectoryA(path.c_str());
}

int Win32BundleSystem::RunAndWait(const std::string& folder, const std::string& program,
                                  const std::vector<std::string>& arguments, std::string* error) {
  std::string path = folder;
  path += '\\';
  path += program;
  std::string commandLine = Quote(path);
  for (const std::string& argument : arguments) {
    commandLine += ' ';
    commandLine += Quote(argument);
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &process)) {
    *error = LastErrorText();
    return -1;
  }
  ScopedHandle<KernelHandleTraits> thread(process.hThread);
  ScopedHandle<KernelHandleTraits> child(process.hProcess);
  WaitForSingleObject(child.get(), INFINITE);
  DWORD code = 1;
  if (!GetExitCodeProcess(child.get(), &code)) code = 1;
  return static_cast<int>(code);
}

void Win32BundleSystem::ShowError(const std::string& text) {
  MessageBoxA(nullptr, text.c_str(), "Setup", MB_ICONERROR | MB_OK);
}

}  // namespace setup
