// The host registry: the machine folder's registry.reg, kept in memory and saved as a whole.
#include "platform/host/registry/host_registry.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/host/registry/reg_file.h"
#include "platform/host/scoped_fd.h"
#include "platform/host/system_errors.h"

namespace setup {

namespace {}  // namespace

// An exclusive flock held for the life of the object.
class HostRegistry::FileLock {
 public:
  explicit FileLock(const std::string& path) {
    // Never through a link: one in its place would create a file wherever it points.
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
    if (fd_ < 0) {
      error_ = errno;
      return;
    }
    while (::flock(fd_, LOCK_EX) != 0) {
      if (errno == EINTR) continue;
      error_ = errno;
      return;
    }
    held_ = true;
  }
  ~FileLock() {
    if (fd_ >= 0) ::close(fd_);  // closing the descriptor releases the lock
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  bool held() const { return held_; }
  int error() const { return error_; }

 private:
  int fd_ = -1;
  int error_ = 0;
  bool held_ = false;
};

namespace {

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool IsPermissionError(int error) { return error == EACCES || error == EPERM || error == EROFS; }

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t put = ::write(fd, text.data() + done, text.size() - done);
    if (put < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(put);
  }
  return true;
}

}  // namespace

HostRegistry::HostRegistry(std::string path) : path_(std::move(path)), lockPath_(path_ + ".lock") {}

HostRegistry::~HostRegistry() { static_cast<void>(Flush()); }

namespace {

// What a save's temporary file is named after the registry's own name, before mkostemp's six
// letters or digits: a mark no person would give a copy of their own (registry.reg.backup is
// theirs and stays).
constexpr const char* kSaveMark = ".~setup-save.";

// The temporary files of saves: the registry's name, the mark, six letters or digits.
std::vector<std::string> SaveTemporaries(const std::string& path) {
  std::vector<std::string> found;
  const std::string dir = DirectoryOf(path);
  const std::size_t slash = path.rfind('/');
  const std::string prefix =
      (slash == std::string::npos ? path : path.substr(slash + 1)) + kSaveMark;
  DIR* listing = ::opendir(dir.c_str());
  if (listing == nullptr) return found;
  while (const dirent* entry = ::readdir(listing)) {
    const std::string name = entry->d_name;
    if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
    if (!std::all_of(
            name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(), [](char c) {
              return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
            })) {
      continue;
    }
    const std::string full = dir + "/" + name;
    struct stat info {};
    if (::lstat(full.c_str(), &info) == 0 && S_ISREG(info.st_mode)) found.push_back(full);
  }
  ::closedir(listing);
  return found;
}

}  // namespace

void HostRegistry::RemoveStaleTemporaries() {
  if (SaveTemporaries(path_).empty()) return;
  // A save writes its temporary file while it holds the lock: with the lock held here, every
  // such file was left by a save that was killed before its rename.
  FileLock lock(lockPath_);
  if (!lock.held()) return;
  for (const std::string& stale : SaveTemporaries(path_)) ::unlink(stale.c_str());
}

std::string HostRegistry::Open() {
  RemoveStaleTemporaries();
  loadedOnce_ = false;
  return Refresh() == kErrorSuccess ? std::string() : lastError_;
}

HostRegistry::FileStamp HostRegistry::StampOfFile() const {
  struct stat info {};
  if (::stat(path_.c_str(), &info) != 0) return FileStamp{};
  return FileStamp{
      true, static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
      static_cast<std::uint64_t>(info.st_size),
      static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

Win32Error HostRegistry::Refresh() {
  if (loadedOnce_ && StampOfFile() == loaded_) {
    return corrupt_ ? kErrorBadDatabase : kErrorSuccess;
  }
  const Win32Error error = Load();
  if (error == kErrorSuccess) ReplayPending();
  return error;
}

void HostRegistry::ReplayPending() {
  for (const Change& change : pending_) {
    RegistryKeyNode& node = tree_.Create(change.root, change.path, nullptr);
    if (change.hasValue) node.SetValue(change.name, change.type, change.data);
  }
}

Win32Error HostRegistry::Load() {
  loadedOnce_ = true;
  // Never through a link, and never blocked by a FIFO in the file's place.
  ScopedFd fd(::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
  if (fd.get() < 0) {
    if (errno == ENOENT) {
      tree_ = RegistryTree();
      loaded_ = FileStamp{};
      corrupt_ = false;
      return kErrorSuccess;
    }
    lastError_ = "cannot read " + path_ + ": " + CrtErrorText(errno);
    loadedOnce_ = false;
    corrupt_ = true;
    return kErrorBadDatabase;
  }
  struct stat info {};
  std::string text;
  bool ok = ::fstat(fd.get(), &info) == 0;
  if (ok && !S_ISREG(info.st_mode)) {
    lastError_ = "cannot read " + path_ + ": not a regular file";
    loadedOnce_ = false;
    corrupt_ = true;
    return kErrorBadDatabase;
  }
  if (ok) {
    char buffer[64 * 1024];
    for (;;) {
      const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
      if (got == 0) break;
      if (got < 0) {
        if (errno == EINTR) continue;
        ok = false;
        break;
      }
      text.append(buffer, static_cast<std::size_t>(got));
    }
  }
  if (!ok) {
    lastError_ = "cannot read " + path_ + ": " + CrtErrorText(errno);
    loadedOnce_ = false;
    corrupt_ = true;
    return kErrorBadDatabase;
  }
  loaded_ =
      FileStamp{true, static_cast<std::uint64_t>(info.st_dev),
                static_cast<std::uint64_t>(info.st_ino), static_cast<std::uint64_t>(info.st_size),
                static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
  RegistryTree tree;
  const RegParseError error = ParseRegFile(text, &tree);
  if (error.line != 0) {
    tree_ = RegistryTree();
    corrupt_ = true;
    lastError_ = path_ + ":" + std::to_string(error.line) + ": " + error.message;
    return kErrorBadDatabase;
  }
  tree_ = std::move(tree);
  corrupt_ = false;
  return kErrorSuccess;
}

Win32Error HostRegistry::CheckWritable() {
  // Read-only is the missing owner write permission, also for the superuser, whom the kernel
  // would let write anyway.
  const std::string dir = DirectoryOf(path_);
  struct stat info {};
  if (::stat(dir.c_str(), &info) == 0 && (info.st_mode & S_IWUSR) == 0) {
    lastError_ = "cannot save " + path_ + ": the folder " + dir + " is read-only";
    return kErrorAccessDenied;
  }
  if (::stat(path_.c_str(), &info) == 0 && (info.st_mode & S_IWUSR) == 0) {
    lastError_ = "cannot save " + path_ + ": the file is read-only";
    return kErrorAccessDenied;
  }
  return kErrorSuccess;
}

Win32Error HostRegistry::BeginChange(std::optional<FileLock>* lock) {
  if (const Win32Error error = CheckWritable(); error != kErrorSuccess) return error;
  if (deferSaves_) {
    // The lock is taken by the save; a save that failed is tried again before anything new.
    if (saveFailed_) {
      if (const Win32Error error = Flush(); error != kErrorSuccess) return error;
    }
    return Refresh();
  }
  lock->emplace(lockPath_);
  if (!(*lock)->held()) {
    const int error = (*lock)->error();
    lastError_ = "cannot lock " + lockPath_ + ": " + CrtErrorText(error);
    return IsPermissionError(error) ? kErrorAccessDenied : kErrorCantWrite;
  }
  return Refresh();
}

bool HostRegistry::IsStored(const KeyRef& ref, const std::string& name, std::uint32_t type,
                            const std::vector<std::uint8_t>& data) {
  if (Refresh() != kErrorSuccess) return false;
  const RegistryKeyNode* node = tree_.Find(ref.root, ref.path);
  if (node == nullptr) return false;
  const RegistryValue* value = node->FindValue(name);
  return value != nullptr && value->type == type && value->data == data;
}

Win32Error HostRegistry::Save() {
  auto fail = [&](int error, const std::string& what) {
    lastError_ = "cannot save " + path_ + ": " + what;
    loadedOnce_ = false;  // memory now differs from the file: reload before the next use
    return IsPermissionError(error) ? kErrorAccessDenied : kErrorCantWrite;
  };
  if (const Win32Error error = CheckWritable(); error != kErrorSuccess) {
    loadedOnce_ = false;
    return error;
  }
  const std::string dir = DirectoryOf(path_);
  mode_t mode = 0644;
  struct stat info {};
  if (::stat(path_.c_str(), &info) == 0) mode = info.st_mode & 0777;

  std::string temp = path_ + kSaveMark + "XXXXXX";
  ScopedFd fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (fd.get() < 0) {
    const int error = errno;
    return fail(error, CrtErrorText(error));
  }
  const std::string text = SerializeRegFile(tree_);
  int error = 0;
  if (!WriteAll(fd.get(), text) || ::fchmod(fd.get(), mode) != 0 || ::fsync(fd.get()) != 0) {
    error = errno;
  }
  if (::close(fd.Release()) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temp.c_str(), path_.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temp.c_str());
    return fail(error, CrtErrorText(error));
  }
  ++saveCount_;
  // Make the rename itself durable.
  ScopedFd dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dirFd.get() >= 0) ::fsync(dirFd.get());
  loaded_ = StampOfFile();
  return kErrorSuccess;
}

Win32Error HostRegistry::Commit(Change change) {
  if (!deferSaves_) return Save();
  pending_.push_back(std::move(change));
  return kErrorSuccess;
}

Win32Error HostRegistry::Flush() {
  if (pending_.empty()) return kErrorSuccess;
  saveFailed_ = true;  // until the save below succeeds
  if (const Win32Error error = CheckWritable(); error != kErrorSuccess) return error;
  FileLock lock(lockPath_);
  if (!lock.held()) {
    lastError_ = "cannot lock " + lockPath_ + ": " + CrtErrorText(lock.error());
    return IsPermissionError(lock.error()) ? kErrorAccessDenied : kErrorCantWrite;
  }
  // Another process may have saved meanwhile: its changes are kept and ours applied on top.
  if (const Win32Error error = Refresh(); error != kErrorSuccess) return error;
  if (const Win32Error error = Save(); error != kErrorSuccess) return error;
  pending_.clear();
  saveFailed_ = false;
  return kErrorSuccess;
}

Win32Error HostRegistry::Locate(RegKey parent, const std::string& subkey, KeyRef* ref) {
  const int root = RegistryTree::RootIndex(parent);
  if (root >= 0) {
    *ref = KeyRef{root, {}};
  } else {
    const auto it = handles_.find(parent);
    if (it == handles_.end()) return kErrorInvalidHandle;
    *ref = it->second;
  }
  if (!subkey.empty() && subkey.front() == '\\') return kErrorBadPathname;
  std::size_t pos = 0;
  while (pos <= subkey.size()) {
    std::size_t end = subkey.find('\\', pos);
    if (end == std::string::npos) end = subkey.size();
    if (end > pos) ref->path.push_back(subkey.substr(pos, end - pos));
    pos = end + 1;
  }
  return kErrorSuccess;
}

RegKey HostRegistry::NewHandle(KeyRef ref) {
  // Keep the names as stored, so the handle finds its key whatever case the caller used.
  if (RegistryKeyNode* node = &tree_.root(ref.root)) {
    for (std::string& name : ref.path) {
      node = node->FindSubkey(name);
      if (node == nullptr) break;
      name = node->name;
    }
  }
  RegKey handle = nextHandle_;
  nextHandle_ += 4;
  if (IsPredefinedKey(nextHandle_)) nextHandle_ = 0x1000;
  handles_[handle] = std::move(ref);
  return handle;
}

Win32Error HostRegistry::OpenKey(RegKey parent, const std::string& subkey, RegKey* result) {
  if (result == nullptr) return kErrorInvalidParameter;
  if (const Win32Error error = Refresh(); error != kErrorSuccess) return error;
  KeyRef ref;
  if (const Win32Error error = Locate(parent, subkey, &ref); error != kErrorSuccess) return error;
  if (tree_.Find(ref.root, ref.path) == nullptr) return kErrorFileNotFound;
  *result = NewHandle(std::move(ref));
  return kErrorSuccess;
}

Win32Error HostRegistry::CreateKey(RegKey parent, const std::string& subkey,
                                   const char* /*keyClass: REGEDIT4 keeps no classes*/,
                                   RegKey* result) {
  if (result == nullptr) return kErrorInvalidParameter;
  if (const Win32Error error = Refresh(); error != kErrorSuccess) return error;
  KeyRef ref;
  if (const Win32Error error = Locate(parent, subkey, &ref); error != kErrorSuccess) return error;
  if (tree_.Find(ref.root, ref.path) == nullptr) {
    for (const std::string& name : ref.path) {
      if (!IsStorableRegName(name)) return kErrorInvalidParameter;
    }
    std::optional<FileLock> lock;
    if (const Win32Error error = BeginChange(&lock); error != kErrorSuccess) return error;
    // The parent handle's key may have gone meanwhile.
    if (!IsPredefinedKey(parent) && tree_.Find(ref.root, handles_[parent].path) == nullptr) {
      return kErrorKeyDeleted;
    }
    bool created = false;
    tree_.Create(ref.root, ref.path, &created);
    if (created) {
      if (const Win32Error error = Commit(Change{ref.root, ref.path, false, {}, 0, {}});
          error != kErrorSuccess) {
        return error;
      }
    }
  }
  *result = NewHandle(std::move(ref));
  return kErrorSuccess;
}

Win32Error HostRegistry::QueryValue(RegKey key, const std::string& name, std::uint8_t* data,
                                    std::uint32_t* size) {
  if (size == nullptr) return kErrorInvalidParameter;
  if (const Win32Error error = Refresh(); error != kErrorSuccess) return error;
  KeyRef ref;
  if (const Win32Error error = Locate(key, "", &ref); error != kErrorSuccess) return error;
  const RegistryKeyNode* node = tree_.Find(ref.root, ref.path);
  if (node == nullptr) return kErrorKeyDeleted;
  const RegistryValue* value = node->FindValue(name);
  if (value == nullptr) return kErrorFileNotFound;
  const auto needed = static_cast<std::uint32_t>(value->data.size());
  if (data == nullptr) {
    *size = needed;
    return kErrorSuccess;
  }
  if (*size < needed) {
    *size = needed;
    return kErrorMoreData;
  }
  std::copy(value->data.begin(), value->data.end(), data);
  *size = needed;
  return kErrorSuccess;
}

Win32Error HostRegistry::SetValue(RegKey key, const std::string& name, std::uint32_t type,
                                  const std::uint8_t* data, std::uint32_t size) {
  if (data == nullptr && size != 0) return kErrorInvalidParameter;
  if (!IsStorableRegName(name)) return kErrorInvalidParameter;
  KeyRef ref;
  if (const Win32Error error = Locate(key, "", &ref); error != kErrorSuccess) return error;
  std::vector<std::uint8_t> bytes(data, data + size);
  if (IsStored(ref, name, type, bytes)) return kErrorSuccess;

  std::optional<FileLock> lock;
  if (const Win32Error error = BeginChange(&lock); error != kErrorSuccess) return error;
  RegistryKeyNode* node = tree_.Find(ref.root, ref.path);
  if (node == nullptr) return kErrorKeyDeleted;
  Change change{ref.root, ref.path, true, name, type, {}};
  if (deferSaves_) change.data = bytes;
  node->SetValue(name, type, std::move(bytes));
  return Commit(std::move(change));
}

Win32Error HostRegistry::DeleteValue(RegKey key, const std::string& name) {
  KeyRef ref;
  if (const Win32Error error = Locate(key, "", &ref); error != kErrorSuccess) return error;
  if (const Win32Error error = Refresh(); error != kErrorSuccess) return error;
  const RegistryKeyNode* present = tree_.Find(ref.root, ref.path);
  if (present == nullptr) return kErrorKeyDeleted;
  if (present->FindValue(name) == nullptr) return kErrorFileNotFound;

  std::optional<FileLock> lock;
  if (const Win32Error error = BeginChange(&lock); error != kErrorSuccess) return error;
  RegistryKeyNode* node = tree_.Find(ref.root, ref.path);
  if (node == nullptr) return kErrorKeyDeleted;
  if (!node->RemoveValue(name)) return kErrorFileNotFound;
  return Save();
}

Win32Error HostRegistry::DeleteKey(RegKey parent, const std::string& subkey) {
  KeyRef ref;
  if (const Win32Error error = Locate(parent, subkey, &ref); error != kErrorSuccess) return error;
  // A root is not a subkey of anything.
  if (ref.path.empty()) return kErrorAccessDenied;
  if (const Win32Error error = Refresh(); error != kErrorSuccess) return error;
  const RegistryKeyNode* present = tree_.Find(ref.root, ref.path);
  if (present == nullptr) return kErrorFileNotFound;
  if (!present->subkeys.empty()) return kErrorAccessDenied;

  std::optional<FileLock> lock;
  if (const Win32Error error = BeginChange(&lock); error != kErrorSuccess) return error;
  const std::string leaf = ref.path.back();
  ref.path.pop_back();
  RegistryKeyNode* node = tree_.Find(ref.root, ref.path);
  const RegistryKeyNode* child = node != nullptr ? node->FindSubkey(leaf) : nullptr;
  if (child == nullptr) return kErrorFileNotFound;
  if (!child->subkeys.empty()) return kErrorAccessDenied;
  node->RemoveSubkey(leaf);
  return Save();
}

Win32Error HostRegistry::QueryInfoKey(RegKey key, std::uint32_t* subkeys, std::uint32_t* values) {
  if (subkeys == nullptr || values == nullptr) return kErrorInvalidParameter;
  if (const Win32Error error = Refresh(); error != kErrorSuccess) return error;
  KeyRef ref;
  if (const Win32Error error = Locate(key, "", &ref); error != kErrorSuccess) return error;
  const RegistryKeyNode* node = tree_.Find(ref.root, ref.path);
  if (node == nullptr) return kErrorKeyDeleted;
  *subkeys = static_cast<std::uint32_t>(node->subkeys.size());
  *values = static_cast<std::uint32_t>(node->values.size());
  return kErrorSuccess;
}

void HostRegistry::CloseKey(RegKey key) { handles_.erase(key); }

}  // namespace setup
