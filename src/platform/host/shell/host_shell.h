// The host's shell: the Start menu's Programs folder from the machine's registry, shell links
// written into the machine folder, and the ANSI code page.
#pragma once

#include "platform/file_system.h"
#include "platform/host/ansi_code_page.h"
#include "platform/registry.h"
#include "platform/shell.h"

namespace setup {

class HostShell final : public Shell {
 public:
  // `files` and `registry` (may be null: the defaults hold) must outlive this object, and so
  // must `codePage` (null: Windows-1252).
  HostShell(FileSystem& files, Registry* registry, const AnsiCodePage* codePage = nullptr)
      : files_(files), registry_(registry), codePage_(codePage) {}

  // The Programs value of the user's Shell Folders key (see machine_folder.h), default
  // C:\ProgramData\Microsoft\Windows\Start Menu\Programs. False when it would not fit a system
  // path buffer.
  bool GetProgramsFolder(WindowHandle owner, std::string* path) override;
  // No COM on the host.
  void CoInitialize() override {}
  void CoUninitialize() override {}
  HResult CreateShellLink(std::unique_ptr<ShellLink>* link) override;
  // In the machine's ANSI code page. The text ends at its first zero byte, as with length -1.
  bool MultiByteToWideChar(const std::string& text, int maxUnits, std::u16string* wide) override;

 private:
  FileSystem& files_;
  Registry* registry_;
  const AnsiCodePage* codePage_;
};

}  // namespace setup
