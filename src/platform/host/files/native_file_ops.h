// File operations on native paths with Win32 answers, shared by the host's file systems.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32_types.h"

namespace setup {

// The FILE_ATTRIBUTE_* bits of a native entry (following links); 0 when it does not exist.
// Directories: DIRECTORY; files: ARCHIVE, plus READONLY without the owner's write permission,
// plus DEVICE for what is not a regular file (a FIFO, a device, a socket).
[[nodiscard]] std::uint32_t NativeAttributes(const std::string& native);

// Whether an entry of that name exists (a link counts, wherever it points).
[[nodiscard]] bool NativeEntryExists(const std::string& native);

// The names in a native directory, "." and ".." left out, in byte order.
[[nodiscard]] std::vector<std::string> ListNativeDirectory(const std::string& native);

// CreateDirectoryA: kErrorAlreadyExists for any existing entry, kErrorPathNotFound without the
// parent.
[[nodiscard]] Win32Error CreateNativeDirectory(const std::string& native);

// MoveFileA: never replaces `to` (kErrorAlreadyExists); a file moved to another file system is
// copied and then removed, as Windows does between volumes.
[[nodiscard]] Win32Error MoveNativeEntry(const std::string& from, const std::string& to);

// MoveFileExA with MOVEFILE_REPLACE_EXISTING for a file: one rename(2), so `to` names its old
// file or the new one at every moment. A directory or read-only file at `to` gives
// kErrorAccessDenied; a link at `to` is replaced itself, never followed.
[[nodiscard]] Win32Error ReplaceNativeFile(const std::string& from, const std::string& to);

// DeleteFileA: a directory or a read-only file gives kErrorAccessDenied.
[[nodiscard]] Win32Error DeleteNativeFile(const std::string& native);

// RemoveDirectoryA: kErrorDirNotEmpty when it holds anything, kErrorDirectory for a file.
[[nodiscard]] Win32Error RemoveNativeDirectory(const std::string& native);

// SetFileAttributesA: READONLY takes away every write permission, its absence gives the owner's
// back. Directories keep their permissions (Windows ignores read-only on them). Other bits have
// no host meaning and are accepted.
[[nodiscard]] Win32Error SetNativeAttributes(const std::string& native, std::uint32_t attributes);

}  // namespace setup
