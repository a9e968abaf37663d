// Reads back the parts of a shell-link (.lnk) file that tests check: its target and description.
#include "support/lnk_reader.h"

#include <algorithm>
#include <cstddef>

namespace setup::testing {

namespace {

constexpr std::uint32_t kHasIdList = 0x1;
constexpr std::uint32_t kHasLinkInfo = 0x2;
constexpr std::uint32_t kIsUnicode = 0x80;
constexpr std::uint32_t kStringFlags[] = {0x4, 0x8, 0x10, 0x20, 0x40};  // name first
constexpr std::uint32_t kForceNoLinkInfo = 0x100;

class Reader {
 public:
  explicit Reader(const std::string& bytes) : bytes_(bytes) {}

  bool U16(std::size_t at, std::uint32_t* value) const {
    if (at > bytes_.size() || bytes_.size() - at < 2) return false;
    *value = Byte(at) | Byte(at + 1) << 8;
    return true;
  }
  bool U32(std::size_t at, std::uint32_t* value) const {
    std::uint32_t low = 0, high = 0;
    if (!U16(at, &low) || !U16(at + 2, &high)) return false;
    *value = low | high << 16;
    return true;
  }
  // A zero-terminated single-byte text at `at`, which must end before `limit`.
  bool Text(std::size_t at, std::size_t limit, std::string* text) const {
    limit = std::min(limit, bytes_.size());
    for (std::size_t end = at; end < limit; ++end) {
      if (bytes_[end] == '\0') {
        *text = bytes_.substr(at, end - at);
        return true;
      }
    }
    return false;
  }
  std::size_t size() const { return bytes_.size(); }

 private:
  std::uint32_t Byte(std::size_t at) const { return static_cast<unsigned char>(bytes_[at]); }
  const std::string& bytes_;
};

bool ParseLinkInfo(const Reader& in, std::size_t start, ParsedShellLink* link, std::size_t* end) {
  std::uint32_t size = 0, headerSize = 0, flags = 0, volumeOffset = 0, baseOffset = 0;
  std::uint32_t networkOffset = 0, suffixOffset = 0;
  if (!in.U32(start, &size) || !in.U32(start + 4, &headerSize) || !in.U32(start + 8, &flags) ||
      !in.U32(start + 12, &volumeOffset) || !in.U32(start + 16, &baseOffset) ||
      !in.U32(start + 20, &networkOffset) || !in.U32(start + 24, &suffixOffset)) {
    return false;
  }
  if (size < headerSize || headerSize < 0x1C || in.size() - start < size) return false;
  const std::size_t limit = start + size;
  if (flags & 0x1) {
    if (baseOffset >= size || !in.Text(start + baseOffset, limit, &link->basePath)) return false;
  } else if (flags & 0x2) {
    std::uint32_t netNameOffset = 0;
    if (networkOffset >= size || !in.U32(start + networkOffset + 8, &netNameOffset) ||
        !in.Text(start + networkOffset + netNameOffset, limit, &link->basePath)) {
      return false;
    }
  }
  if (suffixOffset >= size || !in.Text(start + suffixOffset, limit, &link->commonPathSuffix)) {
    return false;
  }
  link->target = link->basePath;
  if ((flags & 0x2) && !(flags & 0x1) && !link->commonPathSuffix.empty()) link->target += '\\';
  link->target += link->commonPathSuffix;
  *end = limit;
  return true;
}

}  // namespace

std::optional<ParsedShellLink> ParseShellLink(const std::string& bytes) {
  static const char kClsid[] = "\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46";
  const Reader in(bytes);
  ParsedShellLink link;
  std::uint32_t headerSize = 0;
  if (!in.U32(0, &headerSize) || headerSize != 0x4C || bytes.size() < 0x4C ||
      bytes.compare(4, 16, kClsid, 16) != 0 || !in.U32(20, &link.linkFlags)) {
    return std::nullopt;
  }
  std::size_t at = 0x4C;
  if (link.linkFlags & kHasIdList) {
    std::uint32_t idListSize = 0;
    if (!in.U16(at, &idListSize) || bytes.size() - at - 2 < idListSize) return std::nullopt;
    link.hasIdList = true;
    at += 2 + idListSize;
  }
  if ((link.linkFlags & kHasLinkInfo) && !(link.linkFlags & kForceNoLinkInfo)) {
    if (!ParseLinkInfo(in, at, &link, &at)) return std::nullopt;
  }
  const bool unicode = (link.linkFlags & kIsUnicode) != 0;
  for (std::uint32_t flag : kStringFlags) {
    if (!(link.linkFlags & flag)) continue;
    std::uint32_t count = 0;
    if (!in.U16(at, &count)) return std::nullopt;
    at += 2;
    const std::size_t length = unicode ? 2 * std::size_t{count} : count;
    if (bytes.size() - at < length) return std::nullopt;
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
      if (!unicode) {
        text += bytes[at + i];
        continue;
      }
      std::uint32_t unit = 0;
      in.U16(at + 2 * i, &unit);
      text += unit < 0x80 ? static_cast<char>(unit) : '?';
    }
    // Some writers count a terminating zero; the text ends there.
    if (flag == kStringFlags[0]) link.description = text.substr(0, text.find('\0'));
    at += length;
  }
  return link;
}

}  // namespace setup::testing
