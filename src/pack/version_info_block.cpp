// A version resource made from its fields.
#include "pack/version_info_block.h"

namespace setup::pack {

namespace {

constexpr std::uint32_t kFixedSignature = 0xFEEF04BD;
constexpr std::uint32_t kFixedStructureVersion = 0x00010000;
constexpr std::uint32_t kFileFlagsMask = 0x3F;         // VS_FFI_FILEFLAGSMASK
constexpr std::uint32_t kFileOsNtWindows32 = 0x40004;  // VOS_NT_WINDOWS32
constexpr std::uint32_t kFileTypeApplication = 1;      // VFT_APP
constexpr std::uint32_t kEnglishUnicode = 0x04B00409;  // language 0x0409, code page 1200
constexpr std::size_t kFixedRecordAt = 40;             // after the header and L"VS_VERSION_INFO"
constexpr std::size_t kFixedRecordSize = 52;

void Append16(std::string* out, std::uint32_t value) {
  out->push_back(static_cast<char>(value & 0xFF));
  out->push_back(static_cast<char>(value >> 8 & 0xFF));
}

void Append32(std::string* out, std::uint32_t value) {
  Append16(out, value & 0xFFFF);
  Append16(out, value >> 16);
}

void AppendText(std::string* out, std::u16string_view text) {
  for (char16_t unit : text) Append16(out, unit);
  Append16(out, 0);
}

void PadTo4(std::string* out) {
  while (out->size() % 4 != 0) out->push_back('\0');
}

// One node of the block: its header, key and value, then its children, each starting on a
// 32-bit boundary. `valueLength` counts characters for a text value and bytes otherwise.
std::string Node(std::u16string_view key, std::uint32_t valueLength, bool text,
                 const std::string& value, const std::vector<std::string>& children) {
  std::string node(6, '\0');
  AppendText(&node, key);
  if (!value.empty()) {
    PadTo4(&node);
    node += value;
  }
  for (const std::string& child : children) {
    PadTo4(&node);
    node += child;
  }
  node[0] = static_cast<char>(node.size() & 0xFF);
  node[1] = static_cast<char>(node.size() >> 8 & 0xFF);
  node[2] = static_cast<char>(valueLength & 0xFF);
  node[3] = static_cast<char>(valueLength >> 8 & 0xFF);
  node[4] = text ? 1 : 0;
  return node;
}

std::uint32_t High(const VersionNumbers& v) { return std::uint32_t{v[0]} << 16 | v[1]; }
std::uint32_t Low(const VersionNumbers& v) { return std::uint32_t{v[2]} << 16 | v[3]; }

std::uint16_t Load16(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                    static_cast<std::uint8_t>(bytes[at + 1]) << 8);
}

}  // namespace

std::string VersionInfoBlock(const VersionInfoFields& fields) {
  std::string fixed;
  for (std::uint32_t word :
       {kFixedSignature, kFixedStructureVersion, High(fields.fileVersion), Low(fields.fileVersion),
        High(fields.productVersion), Low(fields.productVersion), kFileFlagsMask, 0u,
        kFileOsNtWindows32, kFileTypeApplication, 0u, 0u, 0u}) {
    Append32(&fixed, word);
  }
  std::vector<std::string> strings;
  for (const auto& [key, value] : fields.strings) {
    std::string text;
    AppendText(&text, value);
    strings.push_back(Node(key, static_cast<std::uint32_t>(value.size() + 1), true, text, {}));
  }
  const std::string table = Node(u"040904B0", 0, true, {}, strings);
  std::string translation;
  Append32(&translation, kEnglishUnicode);
  const std::string variables =
      Node(u"VarFileInfo", 0, true, {}, {Node(u"Translation", 4, false, translation, {})});
  return Node(u"VS_VERSION_INFO", kFixedRecordSize, false, fixed,
              {Node(u"StringFileInfo", 0, true, {}, {table}), variables});
}

std::optional<VersionNumbers> ParseVersionNumbers(std::string_view text) {
  VersionNumbers numbers{};
  std::size_t part = 0;
  std::size_t at = 0;
  while (part < numbers.size()) {
    std::uint32_t value = 0;
    const std::size_t start = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && value <= 0xFFFF) {
      value = value * 10 + static_cast<std::uint32_t>(text[at] - '0');
      ++at;
    }
    if (at == start || value > 0xFFFF) break;
    numbers[part++] = static_cast<std::uint16_t>(value);
    if (at >= text.size() || text[at] != '.') break;
    ++at;
  }
  if (part == 0) return std::nullopt;
  return numbers;
}

std::optional<VersionNumbers> FileVersionOf(const std::string& block) {
  if (block.size() < kFixedRecordAt + kFixedRecordSize) return std::nullopt;
  const auto word = [&](std::size_t index) {
    const std::size_t at = kFixedRecordAt + 4 * index;
    return std::uint32_t{Load16(block, at)} | std::uint32_t{Load16(block, at + 2)} << 16;
  };
  if (word(0) != kFixedSignature) return std::nullopt;
  return VersionNumbers{
      static_cast<std::uint16_t>(word(2) >> 16), static_cast<std::uint16_t>(word(2) & 0xFFFF),
      static_cast<std::uint16_t>(word(3) >> 16), static_cast<std::uint16_t>(word(3) & 0xFFFF)};
}

}  // namespace setup::pack
