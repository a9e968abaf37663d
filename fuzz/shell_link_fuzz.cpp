// The shell-link writer with any target, description and stamps: what it writes must be a
// well-formed link that names the same target and description. The reader also takes the raw
// input, which must never make it read outside the bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "fuzz_input.h"
#include "platform/host/shell/lnk_writer.h"
#include "support/lnk_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  (void)setup::testing::ParseShellLink(std::string(reinterpret_cast<const char*>(data), size));

  setup::ShellLinkFields fields;
  std::uint8_t stamps[36] = {};
  const std::size_t stampBytes = size < sizeof stamps ? size : sizeof stamps;
  std::memcpy(stamps, data, stampBytes);
  std::memcpy(&fields.fileAttributes, stamps, 4);
  std::memcpy(&fields.fileSize, stamps + 4, 4);
  std::memcpy(&fields.creationTime, stamps + 8, 8);
  std::memcpy(&fields.accessTime, stamps + 16, 8);
  std::memcpy(&fields.writeTime, stamps + 24, 8);
  const auto parts = setup::fuzz::SplitInput(data + stampBytes, size - stampBytes, '\x01', 2);
  fields.target = parts[0];
  if (parts.size() > 1) fields.description = parts[1];

  const std::string bytes = setup::WriteShellLink(fields);
  const std::optional<setup::testing::ParsedShellLink> link = setup::testing::ParseShellLink(bytes);
  FUZZ_CHECK(link.has_value());

  // The target ends at its first zero byte, as the reading side would end it. A share with an
  // empty rest loses a trailing backslash, which names the same place.
  const std::string target = fields.target.substr(0, fields.target.find('\0'));
  const bool unc = target.size() > 2 && target[0] == '\\' && target[1] == '\\';
  FUZZ_CHECK(link->target == target || (unc && link->target + "\\" == target));
  const std::string description = fields.description.substr(0, 0xFFFF);
  FUZZ_CHECK(link->description == description.substr(0, description.find('\0')));
  return 0;
}
