// The host registry: the machine folder's registry.reg, kept in memory and saved on every change.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/host/registry/registry_tree.h"
#include "platform/registry.h"

namespace setup {

// Every successful change is saved before the call answers: the whole file is written to a
// temporary file beside it, flushed to the disk and renamed over registry.reg, so a crash or a
// full disk leaves either the old or the new file. Changes take an exclusive lock (flock on
// registry.reg.lock) and first reload a file another process has changed, so processes sharing
// a machine folder lose none of each other's writes. Reads reload a changed file without the
// lock (a rename replaces the file as a whole).
//
// A file that cannot be parsed is never overwritten: every call answers kErrorBadDatabase until
// the file is mended. A folder or file the host cannot write (no owner write permission, a
// read-only mount) makes changes fail with kErrorAccessDenied; other save failures give
// kErrorCantWrite. LastError() then tells what happened, naming the file.
class HostRegistry final : public Registry {
 public:
  explicit HostRegistry(std::string path);
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

  Win32Error OpenKey(RegKey parent, const std::string& subkey, RegKey* result) override;
  Win32Error CreateKey(RegKey parent, const std::string& subkey, const char* keyClass,
                       RegKey* result) override;
  Win32Error QueryValue(RegKey key, const std::string& name, std::uint8_t* data,
                        std::uint32_t* size) override;
  Win32Error SetValue(RegKey key, const std::string& name, std::uint32_t type,
                      const std::uint8_t* data, std::uint32_t size) override;
  void CloseKey(RegKey key) override;

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
  RegKey nextHandle_ = 0x1000;
};

}  // namespace setup
