// The host's byte streams: C runtime streams over native paths, with large buffers.
#include "platform/host/files/stdio_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <new>

namespace setup {

namespace {

void SetCrtError(int* crtError, int value) {
  if (crtError != nullptr) *crtError = value;
}

}  // namespace

std::unique_ptr<File> StdioFile::Open(const std::string& nativePath, OpenMode mode, int* crtError) {
  const bool writing = mode == OpenMode::kWriteBinary;
  struct stat info {};
  if (::stat(nativePath.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) {
      SetCrtError(crtError, EACCES);
      return nullptr;
    }
    if (writing && (info.st_mode & S_IWUSR) == 0) {
      SetCrtError(crtError, EACCES);
      return nullptr;
    }
  }
  // "e": the descriptor is not inherited by child processes.
  std::FILE* stream = std::fopen(nativePath.c_str(), writing ? "wbe" : "rbe");
  if (stream == nullptr) {
    SetCrtError(crtError, errno);
    return nullptr;
  }
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[kBufferSize]);
  if (buffer != nullptr) std::setvbuf(stream, buffer.get(), _IOFBF, kBufferSize);
  SetCrtError(crtError, 0);
  return std::unique_ptr<File>(new StdioFile(stream, std::move(buffer), writing));
}

StdioFile::StdioFile(std::FILE* stream, std::unique_ptr<char[]> buffer, bool writing)
    : stream_(stream), buffer_(std::move(buffer)), writing_(writing) {}

StdioFile::~StdioFile() { Close(); }

std::size_t StdioFile::Read(void* buffer, std::size_t size) {
  if (closed_ || size == 0) return 0;
  const std::size_t done = std::fread(buffer, 1, size, stream_);
  if (done < size && std::ferror(stream_)) error_ = true;
  return done;
}

std::size_t StdioFile::Write(const void* buffer, std::size_t size) {
  if (closed_ || size == 0) return 0;
  const std::size_t done = std::fwrite(buffer, 1, size, stream_);
  if (done < size) error_ = true;
  return done;
}

std::int64_t StdioFile::Tell() {
  if (closed_) return -1;
  return static_cast<std::int64_t>(::ftello(stream_));
}

bool StdioFile::Seek(std::int64_t offset) {
  if (closed_ || offset < 0) return false;
  return ::fseeko(stream_, static_cast<off_t>(offset), SEEK_SET) == 0;
}

std::int64_t StdioFile::Length() {
  if (closed_) return -1;
  if (writing_ && std::fflush(stream_) != 0) {
    error_ = true;
    return -1;
  }
  struct stat info {};
  if (::fstat(::fileno(stream_), &info) != 0) return -1;
  return static_cast<std::int64_t>(info.st_size);
}

bool StdioFile::Error() const { return error_ || (!closed_ && std::ferror(stream_) != 0); }

bool StdioFile::Close() {
  if (closed_) return closeResult_;
  // A failed read loses nothing; a failed write or flush loses data and must be told.
  bool ok = !(writing_ && Error());
  if (std::fflush(stream_) != 0) ok = false;
  if (std::fclose(stream_) != 0) ok = false;
  stream_ = nullptr;
  closed_ = true;
  closeResult_ = ok;
  if (!ok) error_ = true;
  return ok;
}

}  // namespace setup
