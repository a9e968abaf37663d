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

// Reads the manifest's text. Nothing on a malformed line, a duplicate name, a name that leads
// out of the distribution folder (see NameStaysInside) or a text of more than
// kMaxManifestEntries lines; *error then says which line and why.
std::optional<std::vector<ManifestEntry>> ParseManifest(std::string_view text, std::string* error);
inline constexpr std::size_t kMaxManifestEntries = 100000;

// One line of the manifest, CR LF included.
std::string FormatManifestLine(const ManifestEntry& entry);
std::string ManifestHeader();

// A name as the installer compares it: '/' read as '\', a leading ".\" dropped, ASCII letters
// in lower case (Windows names ignore case).
std::string ComparableName(std::string_view name);

// True when `name` names a file below the distribution folder: not rooted ("\x", "/x", a UNC
// name), no drive or stream (no ':'), no component of dots and blanks alone but ".".
bool NameStaysInside(std::string_view name);

std::string DigestHex(const Sha256Digest& digest);

// Size and digest of what remains of an open file. False on a read error.
bool DigestFile(File& file, std::uint64_t* size, Sha256Digest* digest);
// The same for at most `limit` bytes of it: *size is what was read, never more than `limit`.
bool DigestFile(File& file, std::uint64_t limit, std::uint64_t* size, Sha256Digest* digest);

// Why an open file, read from its start, does not match `entry`, or nothing when it does. The
// file's own length is compared first, and at most one byte more than the entry's size is
// read, so a huge file costs no more than a matching one. `digestDiffers` is the reason given
// when only the contents differ.
std::optional<std::string> EntryMismatch(File& file, const ManifestEntry& entry,
                                         const char* digestDiffers);

}  // namespace setup
