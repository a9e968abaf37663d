// The host's shell: the Start menu's Programs folder from the machine's registry, shell links
// written into the machine folder, and the ANSI code page.
#include "platform/host/shell/host_shell.h"

#include "platform/host/ansi_code_page.h"
#include "platform/host/files/machine_folder.h"
#include "platform/host/shell/lnk_shell_link.h"

namespace setup {

bool HostShell::GetProgramsFolder(WindowHandle /*owner*/, std::string* path) {
  std::string folder = ReadMachineSetting(registry_, kProgramsSetting);
  while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  if (folder.empty() || folder.size() >= static_cast<std::size_t>(kMaxPath)) return false;
  *path = folder;
  return true;
}

HResult HostShell::CreateShellLink(std::unique_ptr<ShellLink>* link) {
  return CreateHostShellLink(files_, link, codePage_);
}

bool HostShell::MultiByteToWideChar(const std::string& text, int maxUnits, std::u16string* wide) {
  const std::string_view untilZero(text.c_str());
  std::u16string converted =
      codePage_ != nullptr ? codePage_->ToUtf16(untilZero) : AnsiToUtf16(untilZero);
  if (maxUnits < 0 || converted.size() + 1 > static_cast<std::size_t>(maxUnits)) return false;
  *wide = std::move(converted);
  return true;
}

}  // namespace setup
