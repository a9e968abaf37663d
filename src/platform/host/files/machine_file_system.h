// Files and directories of the host's machine folder, reached through Windows paths.
#pragma once

#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/host/ansi_code_page.h"
#include "platform/host/files/directory_name_cache.h"
#include "platform/host/files/open_folders.h"
#include "platform/host/files/windows_path.h"
#include "platform/registry.h"

namespace setup {

// Windows paths on the machine folder (see machine_folder.h for its layout):
// - "X:\..." is MACHINE/drive_x/...; a drive without its folder is a missing drive
//   (kErrorPathNotFound, fopen's ENOENT). "X:name" counts from the drive's root, as the host
//   keeps no current directory per drive. A path rooted at "\" is on drive C:.
// - A path without drive or root is relative to the current directory given at construction.
// - `..` never climbs above a drive's root, nor above the current directory for relative paths.
// - Names are stored as UTF-8, converted from the ANSI code page, as Wine stores them; names
//   are matched against existing entries without regard to case as Windows matches them
//   (Unicode simple case folding: "É" finds "é"; an exact match wins where Linux holds
//   several) and are created with the case given. A name stored by older versions in raw ANSI
//   bytes is still found, and FindFirstFile and ListDirectory report every name in ANSI.
// - What a directory holds is read once and then kept by this object's own creates, moves and
//   deletes, so placing many files in one folder costs in proportion to their number; entries
//   that others add meanwhile are found only by their exact name (the machine folder is locked
//   for the run). The folders reached are held open (a bounded number): the files in one are
//   found and made relative to it, with a handful of system calls each, and a folder that others
//   swap for a link meanwhile is not followed.
// - A symbolic link whose target lies outside the machine folder and the current directory is
//   never followed: such paths answer kErrorAccessDenied, and FindFirstFile finds nothing there;
//   DeleteFile of the link itself removes it, which follows nothing. Network paths
//   ("\\server\share") are not reachable (kErrorBadPathname).
// - The read-only attribute is the missing owner write permission.
// - As on Windows, a path of kMaxPath bytes or more (a new directory's: more than
//   kMaxPath - 12) gives kErrorFilenameExcedRange, fopen's ENAMETOOLONG.
class MachineFileSystem final : public FileSystem {
 public:
  // `machineDir` and `currentDir` are native directories. `registry` (may be null, then the
  // defaults hold) gives the machine's Windows and temporary directories.
  MachineFileSystem(std::string machineDir, std::string currentDir, Registry* registry = nullptr);

  void SetRegistry(Registry* registry) { registry_ = registry; }
  // The ANSI code page of the names (null: Windows-1252); must outlive this object.
  void SetCodePage(const AnsiCodePage* codePage) { codePage_ = codePage; }
  const std::string& machineDir() const { return machineDir_; }

  // Maps a Windows path to the native path it stands for, matching existing names. The last
  // component need not exist; every component before it must be an existing directory
  // (kErrorPathNotFound otherwise). Other errors: kErrorInvalidName, kErrorBadPathname,
  // kErrorAccessDenied (a link leading out).
  [[nodiscard]] Win32Error ToNativePath(const std::string& path, std::string* native);

  std::unique_ptr<File> Open(const std::string& path, OpenMode mode, int* crtError) override;
  std::string StrError(int crtError) override;
  Win32Error CreateDirectory(const std::string& path) override;
  std::optional<FindData> FindFirstFile(const std::string& pattern) override;
  Win32Error MoveFile(const std::string& from, const std::string& to) override;
  Win32Error MoveFileReplacing(const std::string& from, const std::string& to) override;
  Win32Error DeleteFile(const std::string& path) override;
  Win32Error RemoveDirectory(const std::string& path) override;
  std::vector<FindData> ListDirectory(const std::string& directory) override;
  Win32Error SetFileAttributes(const std::string& path, std::uint32_t attributes) override;
  std::string GetTempPath() override;
  std::string GetWindowsDirectory() override;
  std::string GetSystemDirectory() override;
  std::string FormatMessage(Win32Error code) override;
  // A relative path has a Windows name only when the current directory lies on a drive of the
  // machine folder.
  std::string GetFullPathName(const std::string& path) override;

 private:
  struct Resolved;
  // Without `lookUpLast`, the last component is left as given, not looked up.
  Resolved Resolve(const std::string& path, bool wildcardLast, bool lookUpLast = true);
  // Opens an existing file for reading by its exact name; nothing (and `*crtError` unchanged)
  // where the full lookup must decide: no entry of that exact name, or a link.
  std::unique_ptr<File> OpenExactForReading(const std::string& path, int* crtError);
  // Creates a file that its folder's listing, read before, holds in no letter case: made at
  // once, without a lookup. Nothing (and `*crtError` unchanged) where the full lookup must
  // decide: the listing unread, or anything in the way (a file made by another, a link).
  std::unique_ptr<File> CreateUnlisted(const std::string& path, int* crtError);
  // The folder a path starts at (a drive's root or the current directory), opened once.
  std::shared_ptr<const OpenFolder> StartFolder(const WindowsPath& split, const std::string& key,
                                                Win32Error* error);
  // Whether a link's target lies in the machine folder or the current directory.
  bool LeadsWithin(const std::string& native);
  // An entry that exists and is not a drive's root or the current directory, else the error.
  Resolved ResolveExisting(const std::string& path);
  bool IsReachable(const std::string& native);
  // The last component is a link whose target lies out of reach (Resolve refused it).
  static bool IsLinkLeadingOut(const Resolved& resolved);
  const AnsiCodePage& codePage() const;

  std::string machineDir_;
  std::string currentDir_;
  Registry* registry_;
  const AnsiCodePage* codePage_ = nullptr;
  DirectoryNameCache names_;
  OpenFolders folders_;
};

}  // namespace setup
