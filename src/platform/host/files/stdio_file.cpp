// The host's byte streams: C runtime streams over native files, with large buffers.
#include "platform/host/files/stdio_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <new>

namespace setup {

namespace {

void SetCrtError(int* crtError, int value) {
  if (crtError != nullptr) *crtError = value;
}

// The stream's own reads, writes and seeks on its descriptor: the C runtime's buffering and
// error state, without the descriptor flag queries fdopen makes for every file.
int DescriptorOf(void* cookie) { return static_cast<int>(reinterpret_cast<std::intptr_t>(cookie)); }

ssize_t ReadDescriptor(void* cookie, char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t got = ::read(DescriptorOf(cookie), buffer, size);
    if (got >= 0 || errno != EINTR) return got;
  }
}

// All of it, or fewer bytes (the stream then counts an error) with errno telling why.
ssize_t WriteDescriptor(void* cookie, const char* buffer, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t put = ::write(DescriptorOf(cookie), buffer + done, size - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return done > 0 ? static_cast<ssize_t>(done) : -1;
    done += static_cast<std::size_t>(put);
  }
  return static_cast<ssize_t>(done);
}

int SeekDescriptor(void* cookie, off64_t* offset, int whence) {
  const off64_t at = ::lseek64(DescriptorOf(cookie), *offset, whence);
  if (at < 0) return -1;
  *offset = at;
  return 0;
}

int CloseDescriptor(void* cookie) { return ::close(DescriptorOf(cookie)); }

std::FILE* StreamOver(int fd, bool writing) {
  const cookie_io_functions_t functions{ReadDescriptor, WriteDescriptor, SeekDescriptor,
                                        CloseDescriptor};
  return ::fopencookie(reinterpret_cast<void*>(static_cast<std::intptr_t>(fd)),
                       writing ? "wb" : "rb", functions);
}

}  // namespace

std::unique_ptr<File> StdioFile::Open(const std::string& nativePath, OpenMode mode, int* crtError) {
  return OpenAt(AT_FDCWD, nativePath, mode, crtError, 0);
}

std::unique_ptr<File> StdioFile::OpenAt(int dir, const std::string& name, OpenMode mode,
                                        int* crtError, int extraFlags) {
  const bool writing = mode == OpenMode::kWriteBinary;
  // Non-blocking, so that a FIFO without a partner cannot hold the open forever; the flag
  // matters for nothing but such special files, where it is cleared again. No O_TRUNC yet:
  // nothing is changed before the checks below.
  const int flags =
      O_CLOEXEC | O_NONBLOCK | (writing ? (O_WRONLY | O_CREAT) : O_RDONLY) | extraFlags;
  const int fd = ::openat(dir, name.c_str(), flags, 0666);
  if (fd < 0) {
    const int error = errno;
    SetCrtError(crtError, error == EISDIR || error == ENXIO ? EACCES : error);
    return nullptr;
  }
  auto refuse = [&](int error) -> std::unique_ptr<File> {
    ::close(fd);
    SetCrtError(crtError, error);
    return nullptr;
  };
  struct stat info {};
  if (::fstat(fd, &info) != 0) return refuse(errno);
  if (S_ISDIR(info.st_mode)) return refuse(EACCES);
  // Only regular files are read: a FIFO would block every read, a device never ends.
  if (!writing && !S_ISREG(info.st_mode)) return refuse(EACCES);
  if (writing && (info.st_mode & S_IWUSR) == 0) return refuse(EACCES);
  // A file just made (or already empty) has nothing to cut.
  if (writing && S_ISREG(info.st_mode) && info.st_size != 0 && ::ftruncate(fd, 0) != 0) {
    return refuse(errno);
  }
  // Reads and writes of a regular file never wait, whatever the flag says.
  if (!S_ISREG(info.st_mode)) {
    const int status = ::fcntl(fd, F_GETFL);
    if (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) return refuse(errno);
  }
  std::FILE* stream = StreamOver(fd, writing);
  if (stream == nullptr) return refuse(errno);
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[kBufferSize]);
  if (buffer != nullptr) std::setvbuf(stream, buffer.get(), _IOFBF, kBufferSize);
  SetCrtError(crtError, 0);
  auto file = std::unique_ptr<StdioFile>(new StdioFile(stream, fd, std::move(buffer), writing));
  if (!writing) file->readLength_ = static_cast<std::int64_t>(info.st_size);
  return file;
}

StdioFile::StdioFile(std::FILE* stream, int fd, std::unique_ptr<char[]> buffer, bool writing)
    : stream_(stream), fd_(fd), buffer_(std::move(buffer)), writing_(writing) {}

StdioFile::~StdioFile() { Close(); }

std::size_t StdioFile::Read(void* buffer, std::size_t size) {
  if (closed_ || size == 0) return 0;
  const std::size_t done = std::fread(buffer, 1, size, stream_);
  if (done < size && std::ferror(stream_)) Fail(errno);
  return done;
}

std::size_t StdioFile::Write(const void* buffer, std::size_t size) {
  if (closed_ || size == 0) return 0;
  const std::size_t done = std::fwrite(buffer, 1, size, stream_);
  if (done < size) Fail(errno);
  if (!seeked_ && head_.size() < kHeadSize) {
    head_.append(static_cast<const char*>(buffer), std::min(done, kHeadSize - head_.size()));
  }
  return done;
}

std::int64_t StdioFile::Tell() {
  if (closed_) return -1;
  return static_cast<std::int64_t>(::ftello(stream_));
}

bool StdioFile::Seek(std::int64_t offset) {
  if (closed_ || offset < 0) return false;
  seeked_ = true;
  return ::fseeko(stream_, static_cast<off_t>(offset), SEEK_SET) == 0;
}

std::int64_t StdioFile::Length() {
  if (closed_) return -1;
  // Only regular files are read: their length when they were opened.
  if (!writing_) return readLength_;
  if (writing_ && std::fflush(stream_) != 0) {
    Fail(errno);
    return -1;
  }
  struct stat info {};
  if (::fstat(fd_, &info) != 0) return -1;
  return static_cast<std::int64_t>(info.st_size);
}

void StdioFile::Fail(int error) {
  error_ = true;
  if (errorNumber_ == 0) errorNumber_ = error;
}

bool StdioFile::Error() const { return error_ || (!closed_ && std::ferror(stream_) != 0); }

void StdioFile::MakeExecutableWhenProgram() {
  // A program or a script the product installs must start: Windows runs files by their name,
  // Linux only by their permission. Whoever may read it may run it.
  const bool program = head_.compare(0, 4,
                                     "\x7f"
                                     "ELF") == 0 ||
                       head_.compare(0, 2, "#!") == 0;
  if (!program) return;
  struct stat info {};
  const int fd = fd_;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return;
  const mode_t mode = info.st_mode & 07777;
  static_cast<void>(::fchmod(fd, mode | ((mode & 0444) >> 2)));
}

bool StdioFile::Close() {
  if (closed_) return closeResult_;
  // A failed read loses nothing; a failed write or flush loses data and must be told.
  bool ok = !(writing_ && Error());
  if (std::fflush(stream_) != 0) {
    ok = false;
    Fail(errno);
  }
  if (ok && writing_) MakeExecutableWhenProgram();
  if (std::fclose(stream_) != 0) {
    ok = false;
    Fail(errno);
  }
  stream_ = nullptr;
  closed_ = true;
  closeResult_ = ok;
  if (!ok) error_ = true;
  return ok;
}

}  // namespace setup
