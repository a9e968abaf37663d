// The destination macros of setup-script lines: ?WINDOWS?, ?SYSTEM?, ?APPDIR?, ?STARTMENU?,
// ?PRGFDIR?.
#pragma once

#include <string>

#include "platform/platform.h"

namespace setup {

// The registry path of the Program Files directory, read with a backslash as separator.
inline constexpr const char* kProgramFilesDirPath =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\ProgramFilesDir";
// What ?PRGFDIR? becomes when the registry has no Program Files directory.
inline constexpr const char* kDefaultProgramFilesDir = "C:\\PROGRAM FILES";
// What ?APPDIR? becomes while no destination directory is known.
inline constexpr const char* kAppDirPlaceholder = "APPDIR";

// Replaces every macro word in `text` by its value, in place. Macros are matched exactly
// (case-sensitively); each iteration replaces the leftmost occurrence of the first macro of the
// list that occurs. When the Programs folder cannot be found, expansion stops and the remaining
// ?STARTMENU? and ?PRGFDIR? words stay. Text inserted as a value is never expanded again, so a
// value that holds a macro word (even its own) cannot make expansion endless. Running out of
// memory throws std::bad_alloc, which the loader turns into a failed load.
void ExpandMacros(const Platform& platform, WindowHandle owner, std::string& text,
                  const char* destinationDirectory);

}  // namespace setup
