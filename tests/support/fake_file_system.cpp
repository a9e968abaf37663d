// An in-memory file system with Windows path rules and fault injection, for core tests.
#include "support/fake_file_system.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/ascii_case.h"

namespace setup::testing {

namespace {

constexpr int kEnoent = 2;
constexpr int kEacces = 13;

std::string ParentKey(const std::string& key) {
  const std::size_t slash = key.rfind('\\');
  return slash == std::string::npos ? std::string() : key.substr(0, slash);
}

bool IsDriveRoot(const std::string& key) { return key.size() == 2 && key[1] == ':'; }

// '*' any run, '?' one character; `name` and `pattern` are already upper-cased.
bool WildcardRunMatch(const char* pattern, const char* name) {
  if (*pattern == '\0') return *name == '\0';
  if (*pattern == '*') {
    for (const char* rest = name;; ++rest) {
      if (WildcardRunMatch(pattern + 1, rest)) return true;
      if (*rest == '\0') return false;
    }
  }
  if (*name == '\0') return false;
  if (*pattern != '?' && *pattern != *name) return false;
  return WildcardRunMatch(pattern + 1, name + 1);
}

// As FindFirstFile matches: a pattern ending in ".*" also matches the name without any dot.
bool WildcardMatch(const std::string& pattern, const std::string& name) {
  if (WildcardRunMatch(pattern.c_str(), name.c_str())) return true;
  const bool endsInDotStar =
      pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0;
  return endsInDotStar && name.find('.') == std::string::npos &&
         WildcardRunMatch(pattern.substr(0, pattern.size() - 2).c_str(), name.c_str());
}

bool EndsInSeparator(const std::string& path) {
  return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

// The path as given, without the separators that end it (a drive root keeps its own).
std::string WithoutTrailingSeparators(std::string path) {
  while (path.size() > 3 && EndsInSeparator(path)) path.pop_back();
  return path;
}

std::string LastComponent(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

// One open stream on an entry's bytes.
class FakeFile : public File {
 public:
  FakeFile(FakeFileSystem& owner, std::string key, std::shared_ptr<std::string> bytes,
           bool writable)
      : owner_(owner), key_(std::move(key)), bytes_(std::move(bytes)), writable_(writable) {
    ++owner_.openFiles;
  }
  ~FakeFile() override { --owner_.openFiles; }

  std::size_t Read(void* buffer, std::size_t size) override {
    if (closed_ || writable_) {
      error_ = true;
      return 0;
    }
    std::int64_t end = static_cast<std::int64_t>(bytes_->size());
    const bool faulty =
        !owner_.readErrorPath.empty() && FakeFileSystem::Key(owner_.readErrorPath) == key_;
    if (faulty) end = std::min(end, owner_.readErrorOffset);
    const std::int64_t available = std::max<std::int64_t>(0, end - position_);
    const auto count = static_cast<std::size_t>(
        std::min<std::int64_t>(available, static_cast<std::int64_t>(size)));
    if (count != 0) std::memcpy(buffer, bytes_->data() + position_, count);
    position_ += static_cast<std::int64_t>(count);
    // Only a read cut short by the fault is an error; the real end of the file is not.
    if (count < size && faulty && position_ >= owner_.readErrorOffset &&
        owner_.readErrorOffset < static_cast<std::int64_t>(bytes_->size())) {
      error_ = true;
    }
    return count;
  }

  std::size_t Write(const void* buffer, std::size_t size) override {
    ++owner_.writeCalls;
    const bool inject = owner_.failWriteCall != 0 &&
                        (owner_.writeCalls == owner_.failWriteCall ||
                         (owner_.failLaterWrites && owner_.writeCalls > owner_.failWriteCall));
    if (closed_ || !writable_ || inject) {
      error_ = true;
      return 0;
    }
    wrote_ = true;
    const auto at = static_cast<std::size_t>(position_);
    if (bytes_->size() < at + size) bytes_->resize(at + size);
    if (size != 0) std::memcpy(bytes_->data() + at, buffer, size);
    position_ += static_cast<std::int64_t>(size);
    return size;
  }

  std::int64_t Tell() override { return position_; }
  bool Seek(std::int64_t offset) override {
    if (closed_ || offset < 0) return false;
    position_ = offset;
    return true;
  }
  std::int64_t Length() override {
    return closed_ ? -1 : static_cast<std::int64_t>(bytes_->size());
  }
  bool Error() const override { return error_; }
  bool Close() override {
    if (!closed_) {
      closed_ = true;
      closeResult_ = !error_ && !(wrote_ && owner_.failClose);
    }
    return closeResult_;
  }

 private:
  FakeFileSystem& owner_;
  std::string key_;
  std::shared_ptr<std::string> bytes_;
  bool writable_;
  std::int64_t position_ = 0;
  bool error_ = false;
  bool wrote_ = false;
  bool closed_ = false;
  bool closeResult_ = true;
};

FakeFileSystem::FakeFileSystem() = default;
FakeFileSystem::~FakeFileSystem() = default;

// Upper-cased, '/' read as '\\', doubled separators, "." and ".." resolved, as Windows reads a
// path; the result has no trailing separator ("C:" for the root of drive C).
std::string FakeFileSystem::Key(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  auto take = [&] {
    if (part == "..") {
      if (parts.size() > 1) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    part.clear();
  };
  for (char c : path) {
    if (c == '/' || c == '\\') {
      take();
    } else {
      part += UpperAscii(c);
    }
  }
  take();
  std::string key;
  for (const std::string& name : parts) key += (key.empty() ? "" : "\\") + name;
  return key;
}

bool FakeFileSystem::ParentExists(const std::string& key) const {
  const std::string parent = ParentKey(key);
  return parent.empty() || IsDriveRoot(parent) || directories_.count(parent) != 0;
}

std::unique_ptr<File> FakeFileSystem::Open(const std::string& path, OpenMode mode, int* crtError) {
  const std::string key = Key(path);
  int error = 0;
  if (auto injected = openErrors.find(path); injected != openErrors.end()) {
    error = injected->second;
  } else if (directories_.count(key) != 0 || IsDriveRoot(key)) {
    error = kEacces;
  }
  auto entry = files_.find(key);
  if (error == 0 && mode == OpenMode::kWriteBinary) {
    if (entry != files_.end() && (entry->second.attributes & FILE_ATTRIBUTE_READONLY) != 0) {
      error = kEacces;
    } else if (entry == files_.end() && !ParentExists(key)) {
      error = kEnoent;
    } else if (entry == files_.end()) {
      entry =
          files_.emplace(key, Entry{path, std::make_shared<std::string>(), FILE_ATTRIBUTE_ARCHIVE})
              .first;
    } else {
      // fopen "wb" truncates; streams already open on the old bytes keep them.
      entry->second.bytes = std::make_shared<std::string>();
    }
  } else if (error == 0 && entry == files_.end()) {
    error = kEnoent;
  }
  if (error != 0) {
    if (crtError != nullptr) *crtError = error;
    return nullptr;
  }
  return std::make_unique<FakeFile>(*this, key, entry->second.bytes,
                                    mode == OpenMode::kWriteBinary);
}

std::string FakeFileSystem::StrError(int crtError) {
  switch (crtError) {
    case kEnoent:
      return "No such file or directory";
    case kEacces:
      return "Permission denied";
    case 28:
      return "No space left on device";
    default:
      return "Unknown error";
  }
}

Win32Error FakeFileSystem::CreateDirectory(const std::string& path) {
  const std::string key = Key(path);
  if (IsDriveRoot(key) || directories_.count(key) != 0 || files_.count(key) != 0) {
    return kErrorAlreadyExists;
  }
  if (!ParentExists(key)) return kErrorPathNotFound;
  directories_[key] = Directory{WithoutTrailingSeparators(path), FILE_ATTRIBUTE_DIRECTORY};
  return kErrorSuccess;
}

std::optional<FindData> FakeFileSystem::FindFirstFile(const std::string& pattern) {
  if (EndsInSeparator(pattern)) return std::nullopt;
  const std::string key = Key(pattern);
  const std::string parent = ParentKey(key);
  const std::string namePattern = LastComponent(key);
  std::vector<FindData> matches;
  auto consider = [&](const std::string& entryKey, const std::string& shown,
                      std::uint32_t attributes) {
    if (ParentKey(entryKey) != parent) return;
    if (WildcardMatch(namePattern, LastComponent(entryKey))) {
      matches.push_back(FindData{LastComponent(shown), attributes});
    }
  };
  for (const auto& [k, entry] : files_) consider(k, entry.path, entry.attributes);
  for (const auto& [k, directory] : directories_) consider(k, directory.path, directory.attributes);
  if (matches.empty()) return std::nullopt;
  return matches.front();
}

Win32Error FakeFileSystem::MoveFile(const std::string& from, const std::string& to) {
  const std::string source = Key(from);
  const std::string target = Key(to);
  if (files_.count(target) != 0 || directories_.count(target) != 0) return kErrorAlreadyExists;
  if (!ParentExists(target)) return kErrorPathNotFound;
  if (auto file = files_.find(source); file != files_.end()) {
    Entry moved = file->second;
    moved.path = to;
    files_.erase(file);
    files_.emplace(target, std::move(moved));
    return kErrorSuccess;
  }
  if (directories_.count(source) == 0) return kErrorFileNotFound;
  // A directory moves with everything below it.
  const std::string prefix = source + "\\";
  std::map<std::string, Entry> movedFiles;
  for (auto it = files_.begin(); it != files_.end();) {
    if (it->first.compare(0, prefix.size(), prefix) == 0) {
      Entry entry = it->second;
      entry.path = to + entry.path.substr(from.size());
      movedFiles.emplace(target + it->first.substr(source.size()), std::move(entry));
      it = files_.erase(it);
    } else {
      ++it;
    }
  }
  std::map<std::string, Directory> movedDirectories;
  for (auto it = directories_.begin(); it != directories_.end();) {
    if (it->first == source || it->first.compare(0, prefix.size(), prefix) == 0) {
      Directory directory = it->second;
      directory.path = to + directory.path.substr(std::min(from.size(), directory.path.size()));
      movedDirectories.emplace(target + it->first.substr(source.size()), std::move(directory));
      it = directories_.erase(it);
    } else {
      ++it;
    }
  }
  files_.merge(movedFiles);
  directories_.merge(movedDirectories);
  return kErrorSuccess;
}

Win32Error FakeFileSystem::MoveFileReplacing(const std::string& from, const std::string& to) {
  const std::string source = Key(from);
  const std::string target = Key(to);
  auto file = files_.find(source);
  if (file == files_.end()) return kErrorFileNotFound;
  // A name that cannot be opened (locked, no permission) cannot be replaced either.
  if (openErrors.count(to) != 0) return kErrorAccessDenied;
  if (directories_.count(target) != 0 || IsDriveRoot(target)) return kErrorAccessDenied;
  if (!ParentExists(target)) return kErrorPathNotFound;
  Entry moved = file->second;
  if (auto old = files_.find(target); old != files_.end()) {
    if ((old->second.attributes & FILE_ATTRIBUTE_READONLY) != 0) return kErrorAccessDenied;
    moved.path = old->second.path;  // the name keeps its spelling
    files_.erase(old);
  } else {
    moved.path = to;
  }
  files_.erase(source);
  files_.emplace(target, std::move(moved));
  return kErrorSuccess;
}

Win32Error FakeFileSystem::DeleteFile(const std::string& path) {
  const std::string key = Key(path);
  if (directories_.count(key) != 0) return kErrorAccessDenied;
  auto file = files_.find(key);
  if (file == files_.end()) return ParentExists(key) ? kErrorFileNotFound : kErrorPathNotFound;
  if ((file->second.attributes & FILE_ATTRIBUTE_READONLY) != 0) return kErrorAccessDenied;
  files_.erase(file);
  return kErrorSuccess;
}

Win32Error FakeFileSystem::RemoveDirectory(const std::string& path) {
  const std::string key = Key(path);
  if (files_.count(key) != 0) return kErrorDirectory;
  if (directories_.count(key) == 0) {
    return ParentExists(key) ? kErrorFileNotFound : kErrorPathNotFound;
  }
  for (const auto& [k, entry] : files_) {
    if (ParentKey(k) == key) return kErrorDirNotEmpty;
  }
  for (const auto& [k, directory] : directories_) {
    if (ParentKey(k) == key) return kErrorDirNotEmpty;
  }
  directories_.erase(key);
  return kErrorSuccess;
}

std::vector<FindData> FakeFileSystem::ListDirectory(const std::string& directory) {
  std::vector<FindData> entries;
  const std::string key = Key(directory);
  if (directories_.count(key) == 0 && !IsDriveRoot(key)) return entries;
  for (const auto& [k, entry] : files_) {
    if (ParentKey(k) == key)
      entries.push_back(FindData{LastComponent(entry.path), entry.attributes});
  }
  for (const auto& [k, dir] : directories_) {
    if (ParentKey(k) == key) entries.push_back(FindData{LastComponent(dir.path), dir.attributes});
  }
  return entries;
}

Win32Error FakeFileSystem::SetFileAttributes(const std::string& path, std::uint32_t attributes) {
  const std::string key = Key(path);
  if (auto file = files_.find(key); file != files_.end()) {
    file->second.attributes = attributes & ~static_cast<std::uint32_t>(FILE_ATTRIBUTE_DIRECTORY);
    return kErrorSuccess;
  }
  if (auto directory = directories_.find(key); directory != directories_.end()) {
    directory->second.attributes = attributes | FILE_ATTRIBUTE_DIRECTORY;
    return kErrorSuccess;
  }
  return kErrorFileNotFound;
}

std::string FakeFileSystem::FormatMessage(Win32Error code) {
  switch (code) {
    case kErrorFileNotFound:
      return "The system cannot find the file specified.\r\n";
    case kErrorPathNotFound:
      return "The system cannot find the path specified.\r\n";
    case kErrorAccessDenied:
      return "Access is denied.\r\n";
    case kErrorAlreadyExists:
      return "Cannot create a file when that file already exists.\r\n";
    case kErrorDiskFull:
      return "There is not enough space on the disk.\r\n";
    default:
      return "";
  }
}

void FakeFileSystem::PutDirectory(const std::string& path) {
  std::string shown = WithoutTrailingSeparators(path);
  for (std::string key = Key(path); !key.empty() && !IsDriveRoot(key); key = ParentKey(key)) {
    directories_.emplace(key, Directory{shown, FILE_ATTRIBUTE_DIRECTORY});
    shown = WithoutTrailingSeparators(shown.substr(0, shown.find_last_of("\\/")));
  }
}

void FakeFileSystem::PutFile(const std::string& path, const std::string& bytes) {
  const std::string key = Key(path);
  if (const std::size_t slash = path.find_last_of("\\/"); slash != std::string::npos) {
    PutDirectory(path.substr(0, slash));
  }
  auto entry = files_.find(key);
  if (entry == files_.end()) {
    files_.emplace(key, Entry{path, std::make_shared<std::string>(bytes), FILE_ATTRIBUTE_ARCHIVE});
    return;
  }
  entry->second.bytes = std::make_shared<std::string>(bytes);
}

std::optional<std::string> FakeFileSystem::FileBytes(const std::string& path) const {
  auto entry = files_.find(Key(path));
  if (entry == files_.end()) return std::nullopt;
  return *entry->second.bytes;
}

bool FakeFileSystem::FileExists(const std::string& path) const {
  return files_.count(Key(path)) != 0;
}

bool FakeFileSystem::DirectoryExists(const std::string& path) const {
  const std::string key = Key(path);
  return IsDriveRoot(key) || directories_.count(key) != 0;
}

std::uint32_t FakeFileSystem::Attributes(const std::string& path) const {
  const std::string key = Key(path);
  if (auto file = files_.find(key); file != files_.end()) return file->second.attributes;
  if (auto directory = directories_.find(key); directory != directories_.end()) {
    return directory->second.attributes;
  }
  return 0;
}

}  // namespace setup::testing

namespace setup::testing {

std::string FakeFileSystem::GetFullPathName(const std::string& path) {
  if (path.empty()) return {};
  std::string full;
  if (path.size() >= 2 && path[1] == ':') {
    full = path.substr(0, 2) + "\\" + path.substr(2);
  } else if (path[0] == '\\' || path[0] == '/') {
    full = "C:" + path;
  } else if (currentDirectory.empty()) {
    return {};
  } else {
    full = currentDirectory + "\\" + path;
  }
  // `.` and `..` go, as Windows takes them out; `..` stops at the drive's root.
  std::vector<std::string> parts;
  std::string part;
  for (std::size_t i = 3; i <= full.size(); ++i) {
    if (i == full.size() || full[i] == '\\' || full[i] == '/') {
      if (part == "..") {
        if (!parts.empty()) parts.pop_back();
      } else if (!part.empty() && part != ".") {
        parts.push_back(part);
      }
      part.clear();
    } else {
      part += full[i];
    }
  }
  std::string result = full.substr(0, 2) + "\\";
  for (std::size_t i = 0; i < parts.size(); ++i) result += (i == 0 ? "" : "\\") + parts[i];
  return result;
}

}  // namespace setup::testing
