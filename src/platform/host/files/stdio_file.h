// The host's byte streams: C runtime streams over native paths, with large buffers.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "platform/file_system.h"

namespace setup {

class StdioFile final : public File {
 public:
  // The decoder reads and writes in big blocks; a large buffer keeps system calls few.
  static constexpr std::size_t kBufferSize = 64 * 1024;

  // fopen on a native path, with Windows' answers where Linux differs: a directory cannot be
  // opened (EACCES), only a regular file can be read (a FIFO or a device gives EACCES, and a
  // FIFO never blocks the open),
  // and a file without its owner's write permission (the host's read-only attribute) cannot be
  // opened for writing (EACCES) even by the superuser.
  static std::unique_ptr<File> Open(const std::string& nativePath, OpenMode mode, int* crtError);
  // The same for `name` in the open directory `dir`, with `extraFlags` added to the open:
  // O_NOFOLLOW refuses a link there (ELOOP), O_EXCL an existing entry (EEXIST).
  static std::unique_ptr<File> OpenAt(int dir, const std::string& name, OpenMode mode,
                                      int* crtError, int extraFlags);

  ~StdioFile() override;
  StdioFile(const StdioFile&) = delete;
  StdioFile& operator=(const StdioFile&) = delete;

  std::size_t Read(void* buffer, std::size_t size) override;
  std::size_t Write(const void* buffer, std::size_t size) override;
  std::int64_t Tell() override;
  bool Seek(std::int64_t offset) override;
  std::int64_t Length() override;
  bool Error() const override;
  int ErrorNumber() const override { return errorNumber_; }
  bool Close() override;

 private:
  StdioFile(std::FILE* stream, int fd, std::unique_ptr<char[]> buffer, bool writing);
  void Fail(int error);
  // Gives a file that starts as an ELF program or a "#!" script execute permission.
  void MakeExecutableWhenProgram();
  static constexpr std::size_t kHeadSize = 4;

  std::FILE* stream_;
  int fd_;                          // the stream's descriptor, closed with it
  std::unique_ptr<char[]> buffer_;  // outlives stream_: Close() runs before it is freed
  bool writing_;
  bool error_ = false;
  int errorNumber_ = 0;
  bool closed_ = false;
  bool closeResult_ = false;
  std::int64_t readLength_ = -1;  // a file read: its length when it was opened
  std::string head_;              // the first bytes written, while no seek has moved the position
  bool seeked_ = false;
};

}  // namespace setup
