// Reading and writing the lines of the payload manifest.
#include "install/manifest_format.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <set>

namespace setup {
namespace {

constexpr std::string_view kHeader = "# setup.sum: SHA-256, size in bytes and name of every file";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseDigest(std::string_view hex, Sha256Digest* digest) {
  if (hex.size() != 64) return false;
  for (std::size_t i = 0; i < 32; ++i) {
    const int high = HexValue(hex[2 * i]);
    const int low = HexValue(hex[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    (*digest)[i] = static_cast<std::uint8_t>(high << 4 | low);
  }
  return true;
}

bool ParseSize(std::string_view digits, std::uint64_t* size) {
  if (digits.empty() || digits.size() > 19) return false;  // below 2^63, so no overflow
  std::uint64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  *size = value;
  return true;
}

bool ValidName(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  }
  return true;
}

}  // namespace

std::optional<std::vector<ManifestEntry>> ParseManifest(std::string_view text, std::string* error) {
  std::vector<ManifestEntry> entries;
  std::set<std::string> names;
  std::size_t lineNumber = 0;
  auto fail = [&](const char* why) {
    if (error != nullptr) *error = "line " + std::to_string(lineNumber) + ": " + why;
    return std::nullopt;
  };
  while (!text.empty()) {
    ++lineNumber;
    const std::size_t feed = text.find('\n');
    std::string_view line = text.substr(0, feed);
    text.remove_prefix(feed == std::string_view::npos ? text.size() : feed + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    if (entries.size() >= kMaxManifestEntries) return fail("too many lines");
    const std::size_t firstBlank = line.find(' ');
    const std::size_t secondBlank =
        firstBlank == std::string_view::npos ? firstBlank : line.find(' ', firstBlank + 1);
    if (secondBlank == std::string_view::npos) return fail("expected 'SHA256 SIZE NAME'");
    ManifestEntry entry;
    if (!ParseDigest(line.substr(0, firstBlank), &entry.digest)) {
      return fail("the SHA-256 is not 64 hexadecimal digits");
    }
    if (!ParseSize(line.substr(firstBlank + 1, secondBlank - firstBlank - 1), &entry.size)) {
      return fail("the size is not a decimal number");
    }
    entry.name = std::string(line.substr(secondBlank + 1));
    if (!ValidName(entry.name)) return fail("the name is empty or holds control characters");
    if (!NameStaysInside(entry.name)) {
      return fail("the name leads out of the distribution folder");
    }
    if (!names.insert(ComparableName(entry.name)).second) return fail("the name is listed twice");
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::string ManifestHeader() { return std::string(kHeader) + "\r\n"; }

std::string FormatManifestLine(const ManifestEntry& entry) {
  return DigestHex(entry.digest) + " " + std::to_string(entry.size) + " " + entry.name + "\r\n";
}

std::string ComparableName(std::string_view name) {
  std::string result(name);
  for (char& c : result) {
    if (c == '/') c = '\\';
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  while (result.size() >= 2 && result[0] == '.' && result[1] == '\\') result.erase(0, 2);
  return result;
}

bool NameStaysInside(std::string_view name) {
  if (name.empty() || name.front() == '\\' || name.front() == '/') return false;
  if (name.find(':') != std::string_view::npos) return false;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = name.find_first_of("\\/", start);
    const std::string_view component =
        name.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    // Windows drops the dots and blanks that end a name, so "... " means ".." too.
    if (component != "." && !component.empty() &&
        component.find_first_not_of(". ") == std::string_view::npos) {
      return false;
    }
    if (end == std::string_view::npos) return true;
    start = end + 1;
  }
}

std::string DigestHex(const Sha256Digest& digest) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (std::uint8_t byte : digest) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0xF];
  }
  return hex;
}

bool DigestFile(File& file, std::uint64_t* size, Sha256Digest* digest) {
  return DigestFile(file, std::numeric_limits<std::uint64_t>::max(), size, digest);
}

bool DigestFile(File& file, std::uint64_t limit, std::uint64_t* size, Sha256Digest* digest) {
  constexpr std::size_t kBlock = 64 * 1024;
  std::unique_ptr<Sha256> sha = CreateSha256();
  std::unique_ptr<char[]> buffer(new char[kBlock]);
  std::uint64_t total = 0;
  while (total < limit) {
    const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(limit - total, kBlock));
    const std::size_t got = file.Read(buffer.get(), wanted);
    if (got == 0) break;
    sha->Update(buffer.get(), got);
    total += got;
    if (got < wanted) break;
  }
  if (file.Error()) return false;
  *size = total;
  *digest = sha->Finish();
  return true;
}

std::optional<std::string> EntryMismatch(File& file, const ManifestEntry& entry,
                                         const char* digestDiffers) {
  auto wrongSize = [&](const std::string& held) {
    return "it holds " + held + " bytes instead of " + std::to_string(entry.size);
  };
  const std::int64_t length = file.Length();
  if (length >= 0 && static_cast<std::uint64_t>(length) != entry.size) {
    return wrongSize(std::to_string(length));
  }
  // One byte more than listed tells a file that grew since, or whose length was not told.
  // Listed sizes are below 10^19, so the sum does not overflow.
  std::uint64_t size = 0;
  Sha256Digest digest{};
  if (!DigestFile(file, entry.size + 1, &size, &digest)) return std::string("it cannot be read");
  if (size > entry.size) return wrongSize("more than " + std::to_string(entry.size));
  if (size != entry.size) return wrongSize(std::to_string(size));
  if (digest != entry.digest) return std::string(digestDiffers);
  return std::nullopt;
}

}  // namespace setup
