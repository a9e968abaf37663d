// The forms a payload file takes, told apart by their first bytes:
//   xz      an .xz stream (magic FD 37 7A 58 5A 00), one stream per file, its check verified;
//   stored  magic FD 53 54 4F 52 45 ("\xFDSTORE"), the content's length as an unsigned 64-bit
//           little-endian number, then the content as it is;
//   LZHUF   anything else: a 4-byte little-endian length and the bit stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "decompress/byte_stream.h"

namespace setup {

enum class PayloadForm { kLzhuf, kXz, kStored };

inline constexpr std::size_t kFormMagicSize = 6;
inline constexpr std::uint8_t kStoredMagic[kFormMagicSize] = {0xFD, 0x53, 0x54, 0x4F, 0x52, 0x45};
inline constexpr std::size_t kStoredHeaderSize = kFormMagicSize + 8;

// The form of a payload opening with `head` (the first up to six bytes; fewer when the file is
// shorter).
PayloadForm PayloadFormOf(std::string_view head);

// Whether the first four bytes of a payload may open one of the forms with a magic, so the
// caller needs two more to decide; an LZHUF payload with another header is never read further.
bool MayOpenMagic(const std::uint8_t* firstFour);

std::string StoredHeader(std::uint64_t length);
// The content's length from a stored payload's first kStoredHeaderSize bytes.
std::optional<std::uint64_t> StoredLength(std::string_view header);

enum class ExpandResult {
  kDone,
  kDamaged,      // malformed, cut short, too long, or its check does not match
  kTooLarge,     // needs more memory than any payload may
  kNoMemory,     // the decoder could not get its memory
  kWriteFailed,  // the sink refused bytes
};

// Expands a whole xz or stored payload read from its first byte. Output is written as it is
// decoded, so after a failure the sink holds a part: the caller must not keep it.
ExpandResult ExpandXzPayload(lzhuf::ByteSource& in, lzhuf::ByteSink& out);
ExpandResult ExpandStoredPayload(lzhuf::ByteSource& in, lzhuf::ByteSink& out);

enum class PackResult { kDone, kShortInput, kWriteFailed, kNoMemory };

// Writes exactly `length` bytes of `in` as one payload of the form (xz: preset 9e, CRC64).
PackResult PackXzPayload(lzhuf::ByteSource& in, std::uint64_t length, lzhuf::ByteSink& out);
PackResult PackStoredPayload(lzhuf::ByteSource& in, std::uint64_t length, lzhuf::ByteSink& out);

}  // namespace setup
