// File operations on native paths with Win32 answers, shared by the host's file systems.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32_types.h"

namespace setup {

// Each operation names its entry by an open directory and a name in it (`dir`), or by a plain
// path (AT_FDCWD, the forms without `dir`): a folder resolved once serves every file in it.

// What a caller has just learnt of an entry's own status (a link's, not its target's), so that
// an operation need not read it again.
struct KnownStatus {
  bool known = false;
  bool exists = false;
  struct stat status {};
};

// The FILE_ATTRIBUTE_* bits of a native entry (following links); 0 when it does not exist.
// Directories: DIRECTORY; files: ARCHIVE, plus READONLY without the owner's write permission,
// plus DEVICE for what is not a regular file (a FIFO, a device, a socket).
[[nodiscard]] std::uint32_t NativeAttributes(int dir, const std::string& native);
// The same bits from the status of an entry that is not a link.
[[nodiscard]] std::uint32_t AttributesOfStatus(const struct stat& status);
[[nodiscard]] inline std::uint32_t NativeAttributes(const std::string& native) {
  return NativeAttributes(AT_FDCWD, native);
}

// Whether an entry of that name exists (a link counts, wherever it points).
[[nodiscard]] bool NativeEntryExists(int dir, const std::string& native);
[[nodiscard]] inline bool NativeEntryExists(const std::string& native) {
  return NativeEntryExists(AT_FDCWD, native);
}

// The names in a native directory, "." and ".." left out, in byte order.
[[nodiscard]] std::vector<std::string> ListNativeDirectory(int dir, const std::string& native);
[[nodiscard]] inline std::vector<std::string> ListNativeDirectory(const std::string& native) {
  return ListNativeDirectory(AT_FDCWD, native);
}

// CreateDirectoryA: kErrorAlreadyExists for any existing entry, kErrorPathNotFound without the
// parent.
[[nodiscard]] Win32Error CreateNativeDirectory(int dir, const std::string& native);
[[nodiscard]] inline Win32Error CreateNativeDirectory(const std::string& native) {
  return CreateNativeDirectory(AT_FDCWD, native);
}

// MoveFileA: never replaces `to` (kErrorAlreadyExists); a file moved to another file system is
// copied and then removed, as Windows does between volumes.
[[nodiscard]] Win32Error MoveNativeEntry(int fromDir, const std::string& from, int toDir,
                                         const std::string& to);
[[nodiscard]] inline Win32Error MoveNativeEntry(const std::string& from, const std::string& to) {
  return MoveNativeEntry(AT_FDCWD, from, AT_FDCWD, to);
}

// MoveFileExA with MOVEFILE_REPLACE_EXISTING for a file: one rename(2), so `to` names its old
// file or the new one at every moment. A directory or read-only file at `to` gives
// kErrorAccessDenied; a link at `to` is replaced itself, never followed.
[[nodiscard]] Win32Error ReplaceNativeFile(int fromDir, const std::string& from,
                                           const KnownStatus& fromStatus, int toDir,
                                           const std::string& to, const KnownStatus& toStatus);
[[nodiscard]] inline Win32Error ReplaceNativeFile(const std::string& from, const std::string& to) {
  return ReplaceNativeFile(AT_FDCWD, from, {}, AT_FDCWD, to, {});
}

// DeleteFileA: a directory or a read-only file gives kErrorAccessDenied.
[[nodiscard]] Win32Error DeleteNativeFile(int dir, const std::string& native,
                                          const KnownStatus& status);
[[nodiscard]] inline Win32Error DeleteNativeFile(const std::string& native) {
  return DeleteNativeFile(AT_FDCWD, native, {});
}

// RemoveDirectoryA: kErrorDirNotEmpty when it holds anything, kErrorDirectory for a file.
[[nodiscard]] Win32Error RemoveNativeDirectory(int dir, const std::string& native);
[[nodiscard]] inline Win32Error RemoveNativeDirectory(const std::string& native) {
  return RemoveNativeDirectory(AT_FDCWD, native);
}

// SetFileAttributesA: READONLY takes away every write permission, its absence gives the owner's
// back. Directories keep their permissions (Windows ignores read-only on them). Other bits have
// no host meaning and are accepted.
// Without `followLink`, a link found there is refused (kErrorAccessDenied), never followed.
[[nodiscard]] Win32Error SetNativeAttributes(int dir, const std::string& native,
                                             std::uint32_t attributes, bool followLink);
[[nodiscard]] inline Win32Error SetNativeAttributes(const std::string& native,
                                                    std::uint32_t attributes) {
  return SetNativeAttributes(AT_FDCWD, native, attributes, true);
}

}  // namespace setup
