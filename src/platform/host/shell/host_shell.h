// The host's shell: the Start menu's Programs folder from the machine's registry, shell links
// written into the machine folder, and the ANSI code page.
#pragma once

#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/shell.h"

namespace setup {

class HostShell final : public Shell {
 public:
  // `files` and `registry` (may be null: the defaults hold) must outlive this object.
  HostShell(FileSystem& files, Registry* registry) : files_(files), registry_(registry) {}

  // The Programs value of the user's Shell Folders key (see machine_folder.h), default
  // C:\ProgramData\Microsoft\Windows\Start Menu\Programs. False when it would not fit a system
  // path buffer.
  bool GetProgramsFolder(WindowHandle owner, std::string* path) override;
  // No COM on the host.
  void CoInitialize() override {}
  void CoUninitialize() override {}
  HResult CreateShellLink(std::unique_ptr<ShellLink>* link) override;
  // The ANSI code page is Windows-1252. The text ends at its first zero byte, as with length -1.
  bool MultiByteToWideChar(const std::string& text, int maxUnits, std::u16string* wide) override;

 private:
  FileSystem& files_;
  Registry* registry_;
};

}  // namespace setup
