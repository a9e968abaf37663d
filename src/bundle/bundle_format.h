// The archive that a one-file installer carries after its stub program: a header found by its
// magic, then the product name and the distribution's files.
//
//   header (64 bytes): magic (16) | version u32 = 1 | archive flags u32 | body length u64 |
//                      SHA-256 of the body (32)
//   body: product name length u32 | name | file count u32 |
//         per file: name length u32 | name ('/' between folders) | flags u32 | size u64 | bytes
// Numbers are little-endian. The header is found by scanning, not at a fixed place from the end,
// so a signature appended to the program (Authenticode's certificate table) does not hide it.
// A solid archive (archive flag 1) stores the body compressed: the mark u32 = 0xFFFFFFFF, the
// plain body's length u64, then the plain body as one .xz stream; its length and digest are
// those of the stored bytes, so damage is found before anything is unpacked. The flag lies
// outside the digest; the mark, a name length no plain body has, makes a flipped flag fail at
// the first bytes either way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/sha256.h"

namespace setup::bundle {

inline constexpr std::size_t kMagicSize = 16;
inline constexpr std::size_t kHeaderSize = 64;
inline constexpr std::uint32_t kExecutable = 1;
inline constexpr std::uint32_t kMaxNameLength = 1024;
inline constexpr std::uint32_t kMaxFiles = 100000;

// The magic, assembled at run time so that the stub program itself does not hold it whole.
std::string Magic();

inline constexpr std::uint32_t kSolidArchive = 1;
inline constexpr std::uint32_t kSolidMark = 0xFFFFFFFF;

struct Header {
  std::uint64_t bodyLength = 0;
  Sha256Digest digest{};
  bool solid = false;
};

// `bytes` start with a magic; nothing unless they hold a whole header of this version.
std::optional<Header> ParseHeader(std::string_view bytes);
std::string EncodeHeader(const Header& header);

// A file's name inside the archive: relative, '/' between non-empty folders, none of them "."
// or "..", no '\', ':' or control characters.
bool ValidEntryName(std::string_view name);

void AppendU32(std::string* out, std::uint32_t value);
void AppendU64(std::string* out, std::uint64_t value);

// Where the body's bytes come from.
class Input {
 public:
  virtual ~Input() = default;
  // Reads up to `size` bytes; fewer only at the end or on an error.
  virtual std::size_t Read(void* buffer, std::size_t size) = 0;
};

// Where the body's files go.
class Output {
 public:
  virtual ~Output() = default;
  virtual bool BeginFile(const std::string& name, bool executable) = 0;
  virtual bool Write(const void* data, std::size_t size) = 0;
  virtual bool EndFile() = 0;
};

enum class BodyResult { kDone, kDamaged, kWriteFailed };

// Reads a body of exactly `length` bytes into `output`. kDamaged for anything malformed: a bad
// name, a file running past the body, bytes left over.
BodyResult ReadBody(Input& input, std::uint64_t length, Output& output, std::string* productName);

}  // namespace setup::bundle
