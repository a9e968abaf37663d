// Files and directories on Windows: the C runtime's streams and the kernel32 file calls.
#include "platform/win32/win32_file_system.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/win32/scoped_handle.h"
#include "platform/win32/win32_error.h"
#include "platform/win32/windows_headers.h"

namespace setup {
namespace {

// Payloads are read and written a byte at a time through the stream; a large buffer keeps
// that from turning into a system call per few bytes.
constexpr std::size_t kStreamBufferSize = 64 * 1024;

class Win32File final : public File {
 public:
  explicit Win32File(std::FILE* file) : file_(file) {
    std::setvbuf(file_, nullptr, _IOFBF, kStreamBufferSize);
  }
  ~Win32File() override { Close(); }

  std::size_t Read(void* buffer, std::size_t size) override {
    if (file_ == nullptr) return 0;
    return std::fread(buffer, 1, size, file_);
  }

  std::size_t Write(const void* buffer, std::size_t size) override {
    if (file_ == nullptr) return 0;
    const std::size_t written = std::fwrite(buffer, 1, size, file_);
    if (written != size) writeFailed_ = true;
    return written;
  }

  std::int64_t Tell() override { return file_ == nullptr ? -1 : _ftelli64(file_); }

  bool Seek(std::int64_t offset) override {
    return file_ != nullptr && offset >= 0 && _fseeki64(file_, offset, SEEK_SET) == 0;
  }

  std::int64_t Length() override {
    if (file_ == nullptr) return -1;
    // Through the stream, so bytes still in its buffer count.
    const std::int64_t here = _ftelli64(file_);
    if (here < 0 || _fseeki64(file_, 0, SEEK_END) != 0) return -1;
    const std::int64_t length = _ftelli64(file_);
    if (_fseeki64(file_, here, SEEK_SET) != 0) return -1;
    return length;
  }

  bool Error() const override { return file_ != nullptr ? std::ferror(file_) != 0 : closeFailed_; }

  bool Close() override {
    if (file_ == nullptr) return !closeFailed_;
    const bool streamFailed = std::ferror(file_) != 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    closeFailed_ = writeFailed_ || streamFailed || !closed;
    return !closeFailed_;
  }

 private:
  std::FILE* file_;
  bool writeFailed_ = false;
  bool closeFailed_ = false;
};

const char* ModeText(OpenMode mode) {
  switch (mode) {
    case OpenMode::kReadBinary:
      return "rb";
    case OpenMode::kReadText:
      return "rt";
    case OpenMode::kWriteBinary:
      return "wb";
  }
  return "rb";
}

// The text of a call that fills a fixed system path buffer; empty when it failed or would not
// fit (the call then answers the size it needs, which is larger than the buffer).
template <typename Call>
std::string SystemPath(Call call) {
  char buffer[kMaxPath] = {};
  const DWORD length = call(buffer, static_cast<DWORD>(sizeof buffer));
  if (length == 0 || length >= sizeof buffer) return {};
  return std::string(buffer, length);
}

// The reserved device names, which name a device in every directory (with any extension).
bool IsDeviceName(std::string name) {
  name = name.substr(0, name.find('.'));
  for (char& c : name) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  if (name == "CON" || name == "PRN" || name == "AUX" || name == "NUL") return true;
  return name.size() == 4 && (name.compare(0, 3, "COM") == 0 || name.compare(0, 3, "LPT") == 0) &&
         name[3] >= '1' && name[3] <= '9';
}

// Whether an attribute query answers for `path` what a search for it would: one plain name
// after the last separator, no wildcards, no trailing dot or space (which the search matches
// differently), not a device, not "." or "..".
bool QueryAnswersAsSearch(const std::string& path) {
  if (path.find_first_of("*?<>\"") != std::string::npos) return false;
  const std::size_t separator = path.find_last_of("\\/:");
  const std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
  if (name.empty() || name.back() == '.' || name.back() == ' ') return false;
  return !IsDeviceName(name);
}

// The answer of an attribute query where it stands for a search's: FindFirstFile opens the
// directory and has it listed, which under Wine is several server round trips per call, where
// the query makes none. `answered` is false where only the search can tell.
struct QuickLookup {
  bool answered = false;
  std::optional<std::uint32_t> attributes;
};

QuickLookup LookUpWithoutSearch(const std::string& path) {
  if (!QueryAnswersAsSearch(path)) return {};
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) != 0) {
    return {true, data.dwFileAttributes};
  }
  const DWORD error = GetLastError();
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {true, std::nullopt};
  return {};
}

}  // namespace

std::unique_ptr<File> Win32FileSystem::Open(const std::string& path, OpenMode mode, int* crtError) {
  // Windows refuses to open a read-only file for writing; Wine running as root would let it
  // through, so the attribute is checked here too and the runtime's answer given.
  if (mode == OpenMode::kWriteBinary) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
      if (crtError != nullptr) *crtError = EACCES;
      return nullptr;
    }
  }
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), ModeText(mode));
  if (file == nullptr) {
    if (crtError != nullptr) *crtError = errno != 0 ? errno : ENOENT;
    return nullptr;
  }
  if (crtError != nullptr) *crtError = 0;
  return std::make_unique<Win32File>(file);
}

std::string Win32FileSystem::StrError(int crtError) {
  const char* text = std::strerror(crtError);
  return text != nullptr ? text : "Unknown error";
}

Win32Error Win32FileSystem::CreateDirectory(const std::string& path) {
  return Win32Result(CreateDirectoryA(path.c_str(), nullptr) != 0);
}

std::optional<FindData> Win32FileSystem::FindFirstFile(const std::string& pattern) {
  // Most names looked up are missing (a destination before its file is placed): the quick
  // query tells that; only a name that is there needs the search for its own spelling.
  const QuickLookup quick = LookUpWithoutSearch(pattern);
  if (quick.answered && !quick.attributes) return std::nullopt;
  WIN32_FIND_DATAA data;
  ScopedFindHandle find(FindFirstFileA(pattern.c_str(), &data));
  if (!find.valid()) return std::nullopt;
  return FindData{data.cFileName, data.dwFileAttributes};
}

std::optional<std::uint32_t> Win32FileSystem::FindAttributes(const std::string& path) {
  const QuickLookup quick = LookUpWithoutSearch(path);
  if (quick.answered) return quick.attributes;
  return FileSystem::FindAttributes(path);
}

Win32Error Win32FileSystem::MoveFile(const std::string& from, const std::string& to) {
  return Win32Result(MoveFileA(from.c_str(), to.c_str()) != 0);
}

Win32Error Win32FileSystem::MoveFileReplacing(const std::string& from, const std::string& to) {
  // As for opening: Wine running as root would replace a read-only file that Windows keeps.
  const DWORD attributes = GetFileAttributesA(to.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    return kErrorAccessDenied;
  }
  return Win32Result(MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0);
}

Win32Error Win32FileSystem::DeleteFile(const std::string& path) {
  return Win32Result(DeleteFileA(path.c_str()) != 0);
}

Win32Error Win32FileSystem::RemoveDirectory(const std::string& path) {
  return Win32Result(RemoveDirectoryA(path.c_str()) != 0);
}

std::vector<FindData> Win32FileSystem::ListDirectory(const std::string& directory) {
  std::vector<FindData> entries;
  WIN32_FIND_DATAA data{};
  ScopedFindHandle search(FindFirstFileA((directory + "\\*").c_str(), &data));
  if (!search.valid()) return entries;
  do {
    const std::string name = data.cFileName;
    if (name != "." && name != "..") entries.push_back(FindData{name, data.dwFileAttributes});
  } while (FindNextFileA(search.get(), &data) != 0);
  return entries;
}

Win32Error Win32FileSystem::SetFileAttributes(const std::string& path, std::uint32_t attributes) {
  return Win32Result(SetFileAttributesA(path.c_str(), attributes) != 0);
}

std::string Win32FileSystem::GetTempPath() {
  return SystemPath([](char* buffer, DWORD size) { return GetTempPathA(size, buffer); });
}

std::string Win32FileSystem::GetWindowsDirectory() {
  return SystemPath([](char* buffer, DWORD size) { return GetWindowsDirectoryA(buffer, size); });
}

std::string Win32FileSystem::GetSystemDirectory() {
  return SystemPath([](char* buffer, DWORD size) { return GetSystemDirectoryA(buffer, size); });
}

std::string Win32FileSystem::FormatMessage(Win32Error code) {
  ScopedLocalMemory text;
  const DWORD length =
      FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code,
                     0x400, reinterpret_cast<char*>(text.receive()), 0, nullptr);
  if (length == 0 || !text.valid()) return {};
  return std::string(text.get(), length);
}

std::string Win32FileSystem::GetFullPathName(const std::string& path) {
  if (path.empty() || path.find('\0') != std::string::npos) return {};
  std::string buffer(kMaxPath, '\0');
  DWORD length =
      GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
  if (length >= buffer.size()) {
    buffer.assign(length, '\0');
    length =
        GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
  }
  if (length == 0 || length >= buffer.size()) return {};
  buffer.resize(length);
  return buffer;
}

}  // namespace setup
