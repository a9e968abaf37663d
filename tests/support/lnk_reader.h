// Reads back the parts of a shell-link (.lnk) file that tests check: its target and description.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace setup::testing {

struct ParsedShellLink {
  std::uint32_t linkFlags = 0;
  bool hasIdList = false;
  // The link info's local base path, or the network share's name for a link to a share.
  std::string basePath;
  std::string commonPathSuffix;
  // The target path as Windows composes it from the link info.
  std::string target;
  // The NAME_STRING; Unicode strings are narrowed (characters above 0x7F become '?').
  std::string description;
};

// Parses a shell-link file's header, ID list, link info and string data; nothing when the bytes
// are not a well-formed link. Reads only inside `bytes`.
std::optional<ParsedShellLink> ParseShellLink(const std::string& bytes);

}  // namespace setup::testing
