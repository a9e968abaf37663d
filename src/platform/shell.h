// The shell: special folders (shell32) and shell-link objects (ole32's CLSID_ShellLink).
#pragma once

#include <memory>
#include <string>

#include "platform/win32_types.h"

namespace setup {

// One IShellLinkA object together with its IPersistFile; released by the destructor.
class ShellLink {
 public:
  virtual ~ShellLink() = default;
  virtual HResult SetPath(const std::string& target) = 0;              // IShellLinkA::SetPath
  virtual HResult SetDescription(const std::string& description) = 0;  // ::SetDescription
  // QueryInterface(IID_IPersistFile); Save() may only be called after it succeeded.
  virtual HResult QueryPersistFile() = 0;
  // IPersistFile::Save(path, remember): writes the shell-link file at `path` (UTF-16).
  virtual HResult Save(const std::u16string& path, bool remember) = 0;
};

class Shell {
 public:
  virtual ~Shell() = default;

  // SHGetSpecialFolderLocation(owner, CSIDL_PROGRAMS) followed by SHGetPathFromIDListA: the
  // Start menu's Programs folder. Answers false when either call fails.
  virtual bool GetProgramsFolder(WindowHandle owner, std::string* path) = 0;

  // CoInitialize(NULL) / CoUninitialize, around each shortcut.
  virtual void CoInitialize() = 0;
  virtual void CoUninitialize() = 0;

  // CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA).
  virtual HResult CreateShellLink(std::unique_ptr<ShellLink>* link) = 0;

  // MultiByteToWideChar(CP_ACP, 0, text, -1, buffer, maxUnits): false when the text and its
  // terminating zero do not fit `maxUnits` UTF-16 units. `wide` gets the text without the zero.
  virtual bool MultiByteToWideChar(const std::string& text, int maxUnits, std::u16string* wide) = 0;
};

}  // namespace setup
