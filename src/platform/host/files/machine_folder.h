// The host's machine folder: the directory that stands for a Windows machine, where it lies, and
// the machine's directories as the registry holds them.
//
// Layout of a machine folder DIR:
//   DIR/drive_c/        drive C: (DIR/drive_d/ is D:, and so on; no folder, no drive)
//   DIR/registry.reg    the machine's registry, REGEDIT4 text
//   DIR/registry.reg.lock  locked while a change to the registry is made and saved
//
// The machine's directories live in the registry where Windows keeps them, so a user can move
// them by editing registry.reg:
//   Windows directory    HKLM\Software\Microsoft\Windows NT\CurrentVersion  SystemRoot
//   system directory     the Windows directory + "\System32" (Windows keeps no value of its own)
//   temporary directory  HKCU\Environment  TMP, else TEMP (GetTempPath's order)
//   Program Files        HKLM\Software\Microsoft\Windows\CurrentVersion  ProgramFilesDir
//   Start menu Programs  HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders
//                        Programs
//   ANSI code page       HKLM\SYSTEM\CurrentControlSet\Control\Nls\CodePage  ACP (as decimal
//                        text; see ansi_code_page.h for the ones the host knows)
// Values are taken literally; environment references such as %SystemRoot% are not expanded.
#pragma once

#include <optional>
#include <string>

#include "platform/registry.h"

namespace setup {

struct MachineSetting {
  RegKey root;
  const char* key;
  const char* name;
  const char* defaultValue;  // also what a new machine folder gets
};

inline constexpr MachineSetting kWindowsDirectorySetting{
    kHkeyLocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot",
    "C:\\Windows"};
inline constexpr MachineSetting kTmpSetting{kHkeyCurrentUser, "Environment", "TMP", nullptr};
inline constexpr MachineSetting kTempSetting{kHkeyCurrentUser, "Environment", "TEMP",
                                             "C:\\Windows\\Temp"};
inline constexpr MachineSetting kProgramFilesSetting{kHkeyLocalMachine,
                                                     "Software\\Microsoft\\Windows\\CurrentVersion",
                                                     "ProgramFilesDir", "C:\\Program Files"};
inline constexpr MachineSetting kProgramsSetting{
    kHkeyCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
    "Programs", "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"};
inline constexpr MachineSetting kCodePageSetting{
    kHkeyLocalMachine, "SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage", "ACP", "1252"};

// A string value of the machine's registry, without its terminating zero; nothing when the key
// or value is absent, empty, not a text or `registry` is null.
[[nodiscard]] std::optional<std::string> ReadMachineString(Registry* registry, RegKey root,
                                                           const std::string& key,
                                                           const std::string& name);

// The setting's value from the registry, else its default.
[[nodiscard]] std::string ReadMachineSetting(Registry* registry, const MachineSetting& setting);

// Makes `dir` a machine folder: until its registry.reg exists, creates whichever of drive C:,
// Windows, Windows\System32, Windows\Temp, Program Files and the Start menu's Programs folder
// is missing; on every run stores each setting above that `registry` (the folder's registry)
// lacks with its default. What exists is never changed. Answers an empty text, or for a new folder
// (neither drive_c nor registry.reg present) what went wrong; an existing folder is used as it is
// when something cannot be made.
[[nodiscard]] std::string PrepareMachineFolder(const std::string& dir, Registry& registry);

// Where the machine folder lies: `option` (the value of --machine=DIR) when given, else the
// environment's SETUP_MACHINE, else ${XDG_DATA_HOME:-$HOME/.local/share}/setup/machine. Empty or
// relative XDG_DATA_HOME is ignored, as the XDG rules say. Empty values count as absent. Answers
// an empty text when nothing gives a place (no HOME either).
[[nodiscard]] std::string ChooseMachineFolder(const std::optional<std::string>& option,
                                              const char* setupMachine, const char* xdgDataHome,
                                              const char* home);

}  // namespace setup
