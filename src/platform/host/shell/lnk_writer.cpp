// Shell-link (.lnk) files in the published binary format, written without the shell.
#include "platform/host/shell/lnk_writer.h"

#include <cstddef>

namespace setup {

namespace {

// Header and flag values of the shell-link format.
constexpr std::uint32_t kHeaderSize = 0x4C;
constexpr std::uint8_t kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                         0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr std::uint32_t kHasLinkInfo = 0x2;
constexpr std::uint32_t kHasName = 0x4;
constexpr std::uint32_t kShowNormal = 1;

constexpr std::uint32_t kLinkInfoHeaderSize = 0x1C;
constexpr std::uint32_t kVolumeIdAndLocalBasePath = 0x1;
constexpr std::uint32_t kCommonNetworkRelativeLinkAndPathSuffix = 0x2;
constexpr std::uint32_t kDriveFixed = 3;
constexpr std::uint32_t kVolumeIdHeaderSize = 0x10;
constexpr std::uint32_t kNetworkLinkHeaderSize = 0x14;

void Put16(std::string* out, std::uint16_t value) {
  out->push_back(static_cast<char>(value & 0xFF));
  out->push_back(static_cast<char>(value >> 8));
}

void Put32(std::string* out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out->push_back(static_cast<char>(value >> shift));
}

void Put64(std::string* out, std::uint64_t value) {
  Put32(out, static_cast<std::uint32_t>(value));
  Put32(out, static_cast<std::uint32_t>(value >> 32));
}

void PutText(std::string* out, const std::string& text) {
  out->append(text);
  out->push_back('\0');
}

// An embedded zero would end the path early on the reading side; keep what it would read.
std::string UpToZero(const std::string& text) { return text.substr(0, text.find('\0')); }

bool IsUncPath(const std::string& path) {
  return path.size() > 2 && path[0] == '\\' && path[1] == '\\';
}

// "\\server\share\rest" splits into the share "\\server\share" and the suffix "rest".
void SplitUncPath(const std::string& path, std::string* share, std::string* suffix) {
  std::size_t end = path.find('\\', 2);                          // after the server
  if (end != std::string::npos) end = path.find('\\', end + 1);  // after the share
  if (end == std::string::npos) {
    *share = path;
    suffix->clear();
    return;
  }
  *share = path.substr(0, end);
  *suffix = path.substr(end + 1);
}

std::string LinkInfo(const std::string& target) {
  std::string body;  // everything after the link-info header
  std::uint32_t flags = 0;
  std::uint32_t volumeIdOffset = 0;
  std::uint32_t localBasePathOffset = 0;
  std::uint32_t networkLinkOffset = 0;
  std::string suffix;
  if (IsUncPath(target)) {
    flags = kCommonNetworkRelativeLinkAndPathSuffix;
    std::string share;
    SplitUncPath(target, &share, &suffix);
    networkLinkOffset = kLinkInfoHeaderSize;
    Put32(&body, static_cast<std::uint32_t>(kNetworkLinkHeaderSize + share.size() + 1));
    Put32(&body, 0);  // no device name, no provider type
    Put32(&body, kNetworkLinkHeaderSize);
    Put32(&body, 0);
    Put32(&body, 0);
    PutText(&body, share);
  } else {
    flags = kVolumeIdAndLocalBasePath;
    volumeIdOffset = kLinkInfoHeaderSize;
    Put32(&body, kVolumeIdHeaderSize + 1);  // the header and an empty volume label
    Put32(&body, kDriveFixed);
    Put32(&body, 0);  // serial number unknown
    Put32(&body, kVolumeIdHeaderSize);
    body.push_back('\0');
    localBasePathOffset = static_cast<std::uint32_t>(kLinkInfoHeaderSize + body.size());
    PutText(&body, target);
  }
  const auto suffixOffset = static_cast<std::uint32_t>(kLinkInfoHeaderSize + body.size());
  PutText(&body, suffix);

  std::string info;
  Put32(&info, static_cast<std::uint32_t>(kLinkInfoHeaderSize + body.size()));
  Put32(&info, kLinkInfoHeaderSize);
  Put32(&info, flags);
  Put32(&info, volumeIdOffset);
  Put32(&info, localBasePathOffset);
  Put32(&info, networkLinkOffset);
  Put32(&info, suffixOffset);
  return info + body;
}

}  // namespace

std::string WriteShellLink(const ShellLinkFields& fields) {
  const std::string target = UpToZero(fields.target);
  const std::string description = fields.description.substr(0, 0xFFFF);
  std::uint32_t linkFlags = 0;
  if (!target.empty()) linkFlags |= kHasLinkInfo;
  if (!description.empty()) linkFlags |= kHasName;

  std::string out;
  Put32(&out, kHeaderSize);
  out.append(reinterpret_cast<const char*>(kLinkClsid), sizeof(kLinkClsid));
  Put32(&out, linkFlags);
  Put32(&out, fields.fileAttributes);
  Put64(&out, fields.creationTime);
  Put64(&out, fields.accessTime);
  Put64(&out, fields.writeTime);
  Put32(&out, fields.fileSize);
  Put32(&out, 0);  // icon index
  Put32(&out, kShowNormal);
  Put16(&out, 0);  // no hot key
  Put16(&out, 0);  // three reserved fields
  Put32(&out, 0);
  Put32(&out, 0);

  if (linkFlags & kHasLinkInfo) out += LinkInfo(target);
  if (linkFlags & kHasName) {
    Put16(&out, static_cast<std::uint16_t>(description.size()));
    out += description;  // counted, not terminated
  }
  Put32(&out, 0);  // terminal extra-data block
  return out;
}

}  // namespace setup
