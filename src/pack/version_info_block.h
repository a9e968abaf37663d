// A version resource (VS_VERSIONINFO) made from its fields, as a resource compiler makes it:
// the fixed record with the file's and the product's version numbers, and one English string
// table (language 0x0409, code page 1200).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace setup::pack {

using VersionNumbers = std::array<std::uint16_t, 4>;

struct VersionInfoFields {
  VersionNumbers fileVersion{};
  VersionNumbers productVersion{};
  // Key and value pairs (ProductName, CompanyName, ...) in UTF-16, in the order they are kept.
  std::vector<std::pair<std::u16string, std::u16string>> strings;
};

[[nodiscard]] std::string VersionInfoBlock(const VersionInfoFields& fields);

// The numbers of a dotted version text ("2.1", "10.0.19041.1"): up to four parts of at most
// 65535; the parts it lacks are 0. Nothing when the text does not start with a number.
[[nodiscard]] std::optional<VersionNumbers> ParseVersionNumbers(std::string_view text);

// The file version numbers of a VS_VERSIONINFO block's fixed record; nothing without one.
[[nodiscard]] std::optional<VersionNumbers> FileVersionOf(const std::string& block);

}  // namespace setup::pack
