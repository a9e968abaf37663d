// The fixed numbers of the PE/COFF image format that both the version reader and the
// authoring tool's resource writer walk.
#pragma once

#include <cstdint>

namespace setup::pe {

inline constexpr std::uint16_t kDosMagic = 0x5A4D;         // "MZ"
inline constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
inline constexpr std::uint16_t kPe32Magic = 0x10B;
inline constexpr std::uint16_t kPe32PlusMagic = 0x20B;
inline constexpr std::uint32_t kFileHeaderSize = 20;
inline constexpr std::uint32_t kSectionHeaderSize = 40;
// Indexes into the optional header's data directories.
inline constexpr std::uint32_t kResourceDirectoryIndex = 2;
inline constexpr std::uint32_t kCertificateDirectoryIndex = 4;
// A resource directory entry's offset with this bit set leads to another directory.
inline constexpr std::uint32_t kSubdirectoryBit = 0x80000000u;
inline constexpr std::uint32_t kResourceDirectoryHeaderSize = 16;
inline constexpr std::uint32_t kResourceDirectoryEntrySize = 8;
inline constexpr std::uint32_t kResourceDataEntrySize = 16;
inline constexpr std::uint32_t kRtVersion = 16;  // RT_VERSION

}  // namespace setup::pe
