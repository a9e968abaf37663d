// The Windows shell: the Programs folder (shell32) and shell-link objects (ole32).
#pragma once

#include "platform/shell.h"

namespace setup {

class Win32Shell final : public Shell {
 public:
  bool GetProgramsFolder(WindowHandle owner, std::string* path) override;
  void CoInitialize() override;
  void CoUninitialize() override;
  HResult CreateShellLink(std::unique_ptr<ShellLink>* link) override;
  bool MultiByteToWideChar(const std::string& text, int maxUnits, std::u16string* wide) override;
};

}  // namespace setup
