// The host registry: the machine folder's registry.reg, kept in memory and saved as a whole.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/host/registry/registry_tree.h"
#include "platform/registry.h"

namespace setup {

// A save writes the whole file to a temporary file beside it, flushes it to the disk and renames
// it over registry.reg, so a crash or a full disk leaves either the old or the new file. By
// default every successful change is saved before the call answers. After KeepChangesUntilFlush()
// changes stay in memory until Flush() saves them all at once, as Windows keeps its hives: the
// installer flushes at the end of every step and before every message box, so a crash loses at
// most the changes of the step in progress. Saves take an exclusive lock (flock on
// registry.reg.lock) and first reload a file another process has changed, applying this
// object's unsaved changes again on top, so processes sharing a machine folder lose none of each
// other's writes. Reads reload a changed file without the lock (a rename replaces the file as a
// whole), also keeping the unsaved changes.
//
// A file that cannot be parsed is never overwritten: every call answers kErrorBadDatabase until
// the file is mended. A folder or file the host cannot write (no owner write permission, a
// read-only mount) makes changes fail with kErrorAccessDenied; other save failures give
// kErrorCantWrite. LastError() then tells what happened, naming the file.
class HostRegistry final : public Registry {
 public:
  explicit HostRegistry(std::string path);
  // Saves what is still unsaved (see Flush).
  ~HostRegistry() override;
  HostRegistry(const HostRegistry&) = delete;
  HostRegistry& operator=(const HostRegistry&) = delete;

  // Reads the file (a missing file is an empty registry), after removing what killed saves left
  // behind. Answers an empty text, or the error naming the file and line
  // ("/m/registry.reg:7: unknown root key HKEY_FOO").
  std::string Open();

  // The text of the latest failure to read or save the file; empty when there was none.
  const std::string& LastError() const { return lastError_; }
  const std::string& path() const { return path_; }

  // From now on changes wait in memory for Flush().
  void KeepChangesUntilFlush() { deferSaves_ = true; }
  // Saves the changes not yet saved; success at once when there are none. On failure they stay
  // in memory, LastError() tells why, and the next change or Flush() tries again first.
  Win32Error Flush();
  // How many times the file was written.
  std::uint64_t SaveCount() const { return saveCount_; }

  Win32Error OpenKey(RegKey parent, const std::string& subkey, RegKey* result) override;
  Win32Error CreateKey(RegKey parent, const std::string& subkey, const char* keyClass,
                       RegKey* result) override;
  Win32Error QueryValue(RegKey key, const std::string& name, std::uint8_t* data,
                        std::uint32_t* size) override;
  Win32Error SetValue(RegKey key, const std::string& name, std::uint32_t type,
                      const std::uint8_t* data, std::uint32_t size) override;
  Win32Error DeleteValue(RegKey key, const std::string& name) override;
  Win32Error DeleteKey(RegKey parent, const std::string& subkey) override;
  Win32Error QueryInfoKey(RegKey key, std::uint32_t* subkeys, std::uint32_t* values) override;
  void CloseKey(RegKey key) override;
  Win32Error FlushKey(RegKey) override { return Flush(); }

 private:
  struct KeyRef {
    int root = 0;
    std::vector<std::string> path;
  };
  struct FileStamp {
    bool exists = false;
    std::uint64_t device = 0, inode = 0, size = 0;
    std::int64_t mtimeNs = 0;
    bool operator==(const FileStamp&) const = default;
  };

  class FileLock;
  // A change not yet saved: a key created, or also a value set in it.
  struct Change {
    int root = 0;
    std::vector<std::string> path;
    bool hasValue = false;
    std::string name;
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
  };

  FileStamp StampOfFile() const;
  void RemoveStaleTemporaries();
  // Whether changes can be saved; sets LastError() when not.
  Win32Error CheckWritable();
  // Takes the lock and reloads the file if another process changed it.
  Win32Error BeginChange(std::optional<FileLock>* lock);
  // Whether the value is already stored with this type and data.
  bool IsStored(const KeyRef& ref, const std::string& name, std::uint32_t type,
                const std::vector<std::uint8_t>& data);
  // Reloads the file when it differs from what was loaded. kErrorBadDatabase when it is corrupt.
  Win32Error Refresh();
  Win32Error Load();
  Win32Error Save();
  // Records a change made to the tree in memory, or saves it at once.
  Win32Error Commit(Change change);
  // Applies the unsaved changes again after the tree was reloaded from the file.
  void ReplayPending();
  // The key a handle stands for, and the path below it that `subkey` names.
  Win32Error Locate(RegKey parent, const std::string& subkey, KeyRef* ref);
  RegKey NewHandle(KeyRef ref);

  std::string path_;
  std::string lockPath_;
  RegistryTree tree_;
  FileStamp loaded_;
  bool loadedOnce_ = false;
  bool corrupt_ = false;
  std::string lastError_;
  std::map<RegKey, KeyRef> handles_;
  bool deferSaves_ = false;
  bool saveFailed_ = false;
  std::vector<Change> pending_;
  std::uint64_t saveCount_ = 0;
  RegKey nextHandle_ = 0x1000;
};

}  // namespace setup
