// Shell-link (.lnk) files in the published binary format, written without the shell.
#pragma once

#include <cstdint>
#include <string>

namespace setup {

// What a written link holds. Texts are single-byte strings in the ANSI code page and are stored
// as such (the link is not flagged as Unicode), so Windows reads them back in its own code page.
struct ShellLinkFields {
  // The target as a Windows path: "C:\dir\file.exe" becomes a local base path on a fixed
  // volume, "\\server\share\dir\file" a network share and its path suffix. Empty: no target.
  std::string target;
  // The description (the link's NAME_STRING); empty: none. Longer than 65535 bytes: cut there.
  std::string description;
  // The target's attributes, size and FILETIME stamps when known (0 otherwise).
  std::uint32_t fileAttributes = 0;
  std::uint32_t fileSize = 0;
  std::uint64_t creationTime = 0;
  std::uint64_t accessTime = 0;
  std::uint64_t writeTime = 0;
};

// The bytes of a shell-link file: header, link info for the target, the description string
// and the terminal extra-data block. Shows the target normally, with no icon or hot key.
[[nodiscard]] std::string WriteShellLink(const ShellLinkFields& fields);

}  // namespace setup
