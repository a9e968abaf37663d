// What the script copy says about the product it installed: its name in the system's list of
// installed programs and the registry value holding its installation directory.
#pragma once

#include <optional>
#include <string>

#include "script/setup_script.h"

namespace setup {

// The name of the script copy beside the uninstaller.
inline constexpr const char* kUninstallScriptName = "uninstall.drc";
// The uninstaller's own log, in the temporary directory.
inline constexpr const char* kUninstallLogName = "UNINSTALL.LOG";

struct ProductRecord {
  std::string name;                 // the key below ...\CurrentVersion\Uninstall
  std::string displayName;          // its DisplayName, else the name
  std::string installLocationPath;  // the InstallLocation value's registry path
  char separator = '\\';
};

// Looks through the K lines for the product's InstallLocation under
// HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\NAME; the last such line
// wins, as it does when the installer writes them. Nothing when the script has none.
[[nodiscard]] std::optional<ProductRecord> FindProductRecord(const SetupScript& script);

}  // namespace setup
