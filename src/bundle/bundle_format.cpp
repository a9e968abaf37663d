// Reading and writing the one-file installer's archive header and body.
#include "bundle/bundle_format.h"

#include <cstring>
#include <memory>
#include <vector>

namespace setup::bundle {
namespace {

constexpr std::uint32_t kVersion = 1;

std::uint64_t ReadLe(const std::uint8_t* p, int bytes) {
  std::uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | p[i];
  return value;
}

// Bounded reads from the body: never past `left`.
class BodyReader {
 public:
  BodyReader(Input& input, std::uint64_t length) : input_(input), left_(length) {}
  bool Take(void* buffer, std::size_t size) {
    if (size > left_) return false;
    if (input_.Read(buffer, size) != size) return false;
    left_ -= size;
    return true;
  }
  bool U32(std::uint32_t* value) {
    std::uint8_t bytes[4];
    if (!Take(bytes, 4)) return false;
    *value = static_cast<std::uint32_t>(ReadLe(bytes, 4));
    return true;
  }
  bool U64(std::uint64_t* value) {
    std::uint8_t bytes[8];
    if (!Take(bytes, 8)) return false;
    *value = ReadLe(bytes, 8);
    return true;
  }
  bool Text(std::string* text) {
    std::uint32_t length = 0;
    if (!U32(&length) || length > kMaxNameLength) return false;
    text->assign(length, '\0');
    return Take(text->data(), length);
  }
  std::uint64_t left() const { return left_; }

 private:
  Input& input_;
  std::uint64_t left_;
};

}  // namespace

std::string Magic() {
  // Two halves joined here: the program holds neither next to the other.
  std::string magic = "\x7fSetup";
  magic += "Bundle\r\n\x1a\n";
  return magic;
}

std::optional<Header> ParseHeader(std::string_view bytes) {
  if (bytes.size() < kHeaderSize || bytes.substr(0, kMagicSize) != Magic()) return std::nullopt;
  const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
  const std::uint64_t flags = ReadLe(p + 20, 4);
  if (ReadLe(p + 16, 4) != kVersion || (flags & ~std::uint64_t{kSolidArchive}) != 0) {
    return std::nullopt;
  }
  Header header;
  header.solid = (flags & kSolidArchive) != 0;
  header.bodyLength = ReadLe(p + 24, 8);
  std::memcpy(header.digest.data(), p + 32, 32);
  return header;
}

std::string EncodeHeader(const Header& header) {
  std::string out = Magic();
  AppendU32(&out, kVersion);
  AppendU32(&out, header.solid ? kSolidArchive : 0);
  AppendU64(&out, header.bodyLength);
  out.append(reinterpret_cast<const char*>(header.digest.data()), header.digest.size());
  return out;
}

bool ValidEntryName(std::string_view name) {
  if (name.empty() || name.size() > kMaxNameLength) return false;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t slash = name.find('/', start);
    if (slash == std::string_view::npos) slash = name.size();
    const std::string_view part = name.substr(start, slash - start);
    if (part.empty() || part == "." || part == "..") return false;
    start = slash + 1;
  }
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || c == '\\' || c == ':' || c == 0x7F) return false;
  }
  return true;
}

void AppendU32(std::string* out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<char>(value >> (8 * i) & 0xFF));
}

void AppendU64(std::string* out, std::uint64_t value) {
  for (int i = 0; i < 8; ++i) out->push_back(static_cast<char>(value >> (8 * i) & 0xFF));
}

BodyResult ReadBody(Input& input, std::uint64_t length, Output& output, std::string* productName) {
  BodyReader reader(input, length);
  std::uint32_t count = 0;
  if (!reader.Text(productName) || !reader.U32(&count) || count > kMaxFiles) {
    return BodyResult::kDamaged;
  }
  std::vector<char> buffer(256 * 1024);
  for (std::uint32_t i = 0; i < count; ++i) {
    std::string name;
    std::uint32_t flags = 0;
    std::uint64_t size = 0;
    if (!reader.Text(&name) || !ValidEntryName(name) || !reader.U32(&flags) || !reader.U64(&size) ||
        size > reader.left()) {
      return BodyResult::kDamaged;
    }
    if (!output.BeginFile(name, (flags & kExecutable) != 0)) return BodyResult::kWriteFailed;
    while (size > 0) {
      const std::size_t chunk =
          static_cast<std::size_t>(std::min<std::uint64_t>(size, buffer.size()));
      if (!reader.Take(buffer.data(), chunk)) return BodyResult::kDamaged;
      if (!output.Write(buffer.data(), chunk)) return BodyResult::kWriteFailed;
      size -= chunk;
    }
    if (!output.EndFile()) return BodyResult::kWriteFailed;
  }
  return reader.left() == 0 ? BodyResult::kDone : BodyResult::kDamaged;
}

}  // namespace setup::bundle
