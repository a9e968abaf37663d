// The REGEDIT4 text format of the host registry: reading into and writing from a key tree.
//
//   REGEDIT4
//
//   [HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion]
//   "ProgramFilesDir"="C:\\Program Files"
//   @="the default value"
//   "Count"=dword:0000002a
//   "Blob"=hex:01,02,ff
//   "Path"=hex(2):25,00
//
// Strings escape `\` and `"` with a backslash. Long hex data continues on the next line after a
// trailing `\`. Lines starting with `;` are comments. As in regedit's import, "[-key]" removes a
// key and `"name"=-` a value.
#pragma once

#include <string>
#include <string_view>

#include "platform/host/registry/registry_tree.h"

namespace setup {

struct RegParseError {
  int line = 0;  // 1-based; 0 when the text parsed
  std::string message;
};

// Reads REGEDIT4 text into `tree`, on top of what it holds. On failure answers the first faulty
// line and what is wrong with it; `tree` then holds an unspecified part of the text.
[[nodiscard]] RegParseError ParseRegFile(std::string_view text, RegistryTree* tree);

// The whole tree as REGEDIT4 text (CR LF line ends, as regedit writes them). Every key is
// written, empty ones included, so that created keys stay in existence. A string value is
// written as text only when it is one (a single terminating zero, no control characters);
// anything else is written as hex bytes, so every value comes back exactly.
[[nodiscard]] std::string SerializeRegFile(const RegistryTree& tree);

// Whether a key or value name can be written into the text format and read back unchanged.
[[nodiscard]] bool IsStorableRegName(std::string_view name);

}  // namespace setup
