// The payload manifest "setup.sum": one line per distribution file with its SHA-256 and size.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/sha256.h"

namespace setup {

inline constexpr const char* kManifestName = "setup.sum";

struct ManifestEntry {
  std::string name;  // relative to the distribution folder, '\' between folders
  std::uint64_t size = 0;
  Sha256Digest digest{};
};

// Reads the manifest's text. Nothing on a malformed line, a duplicate name or a text of more
// than kMaxManifestEntries lines; *error then says which line and why.
std::optional<std::vector<ManifestEntry>> ParseManifest(std::string_view text, std::string* error);
inline constexpr std::size_t kMaxManifestEntries = 100000;

// One line of the manifest, CR LF included.
std::string FormatManifestLine(const ManifestEntry& entry);
std::string ManifestHeader();

// A name as the installer compares it: '/' read as '\', a leading ".\" dropped, ASCII letters
// in lower case (Windows names ignore case).
std::string ComparableName(std::string_view name);

std::string DigestHex(const Sha256Digest& digest);

// Size and digest of what remains of an open file. False on a read error.
bool DigestFile(File& file, std::uint64_t* size, Sha256Digest* digest);

}  // namespace setup
