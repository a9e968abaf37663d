// A file descriptor closed when it goes out of scope.
#pragma once

#include <unistd.h>

namespace setup {

class ScopedFd {
 public:
  explicit ScopedFd(int fd = -1) : fd_(fd) {}
  ~ScopedFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  ScopedFd(const ScopedFd&) = delete;
  ScopedFd& operator=(const ScopedFd&) = delete;

  int get() const { return fd_; }
  // Gives the descriptor up to the caller, who closes it.
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  // Closes now and answers whether the close succeeded (a write may fail only there).
  bool Close() { return ::close(Release()) == 0; }

 private:
  int fd_;
};

}  // namespace setup
