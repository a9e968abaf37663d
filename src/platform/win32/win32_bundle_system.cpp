// The one-file installer's system operations on Windows.
#include "platform/win32/win32_bundle_system.h"

#include <cstdio>
#include <string>
#include <vector>

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

constexpr const char* kFolderPrefix = "SetupBundle-";
constexpr const char* kLockName = "\\setup-bundle.lock";

// What the console control handler needs: the folder and the installer's process while they
// exist. The handler runs on a thread of its own.
CRITICAL_SECTION g_state;
std::string g_folder;
HANDLE g_child = nullptr;
void** g_lock = nullptr;

BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_CLOSE_EVENT && event != CTRL_LOGOFF_EVENT && event != CTRL_SHUTDOWN_EVENT &&
      event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
    return FALSE;
  }
  EnterCriticalSection(&g_state);
  if (g_child != nullptr) {
    // The installer shares the console and had the event too: a moment to end by itself.
    if (WaitForSingleObject(g_child, 2000) != WAIT_OBJECT_0) TerminateProcess(g_child, 2);
    WaitForSingleObject(g_child, 2000);
  }
  if (g_lock != nullptr && *g_lock != nullptr) {
    CloseHandle(*g_lock);
    *g_lock = nullptr;
  }
  if (!g_folder.empty()) {
    RemoveBelow(g_folder);
    RemoveDirectoryA(g_folder.c_str());
  }
  ExitProcess(2);
}

// The folders of stubs that ended without removing them: a lock file nobody holds any more.
void RemoveStaleFolders(const std::string& base) {
  WIN32_FIND_DATAA data;
  const std::string pattern = base + kFolderPrefix + "*";
  std::vector<std::string> folders;
  {
    ScopedHandle<FindHandleTraits> find(FindFirstFileA(pattern.c_str(), &data));
    if (!find.valid()) return;
    do {
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
          (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        folders.push_back(base + data.cFileName);
      }
    } while (FindNextFileA(find.get(), &data));
  }
  for (const std::string& folder : folders) {
    const std::string lock = folder + kLockName;
    SetFileAttributesA(lock.c_str(), FILE_ATTRIBUTE_NORMAL);
    // Fails while a stub or its installer holds it open: that folder is in use.
    if (!DeleteFileA(lock.c_str())) continue;
    RemoveBelow(folder);
    RemoveDirectoryA(folder.c_str());
  }
}

}  // namespace

Win32BundleSystem::Win32BundleSystem() {
  InitializeCriticalSection(&g_state);
  g_lock = &lock_;
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

Win32BundleSystem::~Win32BundleSystem() {
  SetConsoleCtrlHandler(OnConsoleControl, FALSE);
  EnterCriticalSection(&g_state);
  if (lock_ != nullptr) CloseHandle(lock_);
  lock_ = nullptr;
  g_lock = nullptr;
  LeaveCriticalSection(&g_state);
}

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
  RemoveStaleFolders(base);
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    char name[64];
    std::snprintf(name, sizeof name, "%s%lx-%lx-%u", kFolderPrefix,
                  static_cast<unsigned long>(GetCurrentProcessId()),
                  static_cast<unsigned long>(GetTickCount()), attempt);
    std::string folder = base;
    folder += name;
    if (!CreateDirectoryA(folder.c_str(), nullptr)) {
      if (GetLastError() != ERROR_ALREADY_EXISTS) break;
      continue;
    }
    // Held without sharing while the folder lives; the installer inherits it.
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const std::string lock = folder + kLockName;
    HANDLE handle = CreateFileA(lock.c_str(), GENERIC_READ | GENERIC_WRITE, 0, &inherit, CREATE_NEW,
                                FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      *error = LastErrorText();
      RemoveDirectoryA(folder.c_str());
      return std::string();
    }
    EnterCriticalSection(&g_state);
    lock_ = handle;
    g_folder = folder;
    LeaveCriticalSection(&g_state);
    return folder;
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
  EnterCriticalSection(&g_state);
  if (lock_ != nullptr) CloseHandle(lock_);
  lock_ = nullptr;
  RemoveBelow(path);
  RemoveDirectoryA(path.c_str());
  if (path == g_folder) g_folder.clear();
  LeaveCriticalSection(&g_state);
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
  // Handles are inherited for the folder's lock file, the only inheritable one the stub holds
  // at this point, so the folder counts as in use while the installer runs.
  EnterCriticalSection(&g_state);
  const BOOL started = CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                                      nullptr, folder.c_str(), &startup, &process);
  if (started) g_child = process.hProcess;
  LeaveCriticalSection(&g_state);
  if (!started) {
    *error = LastErrorText();
    return -1;
  }
  ScopedHandle<KernelHandleTraits> thread(process.hThread);
  ScopedHandle<KernelHandleTraits> child(process.hProcess);
  WaitForSingleObject(child.get(), INFINITE);
  EnterCriticalSection(&g_state);
  g_child = nullptr;
  LeaveCriticalSection(&g_state);
  DWORD code = 1;
  if (!GetExitCodeProcess(child.get(), &code)) code = 1;
  return static_cast<int>(code);
}

void Win32BundleSystem::ShowError(const std::string& text) {
  MessageBoxA(nullptr, text.c_str(), "Setup", MB_ICONERROR | MB_OK);
}

}  // namespace setup
