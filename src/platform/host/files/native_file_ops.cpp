// File operations on native paths with Win32 answers, shared by the host's file systems.
#include "platform/host/files/native_file_ops.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "platform/host/scoped_fd.h"
#include "platform/host/system_errors.h"

namespace setup {

namespace {

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

// Copies a regular file to a new file (which must not exist) for a move between file systems.
Win32Error CopyFileContents(int fromDir, const std::string& from, int toDir,
                            const std::string& to) {
  ScopedFd in(::openat(fromDir, from.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.get() < 0) return Win32ErrorFromErrno(errno);
  struct stat info {};
  if (::fstat(in.get(), &info) != 0) return Win32ErrorFromErrno(errno);
  ScopedFd out(
      ::openat(toDir, to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, info.st_mode & 07777));
  if (out.get() < 0) return Win32ErrorFromErrno(errno);
  auto fail = [&](int error) {
    out.Close();
    ::unlinkat(toDir, to.c_str(), 0);
    return Win32ErrorFromErrno(error);
  };
  std::unique_ptr<char[]> buffer(new char[64 * 1024]);
  for (;;) {
    const ssize_t got = ::read(in.get(), buffer.get(), 64 * 1024);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      return fail(errno);
    }
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = ::write(out.get(), buffer.get() + done, static_cast<size_t>(got - done));
      if (put < 0) {
        if (errno == EINTR) continue;
        return fail(errno);
      }
      done += put;
    }
  }
  if (::fsync(out.get()) != 0) return fail(errno);
  if (!out.Close()) {
    const int error = errno;
    ::unlinkat(toDir, to.c_str(), 0);
    return Win32ErrorFromErrno(error);
  }
  return kErrorSuccess;
}

bool LinkStatus(int dir, const std::string& name, struct stat* info) {
  return ::fstatat(dir, name.c_str(), info, AT_SYMLINK_NOFOLLOW) == 0;
}

// LinkStatus, unless the caller knows it already; errno is ENOENT for a known absent entry.
bool LinkStatus(int dir, const std::string& name, const KnownStatus& known, struct stat* info) {
  if (!known.known) return LinkStatus(dir, name, info);
  if (!known.exists) {
    errno = ENOENT;
    return false;
  }
  *info = known.status;
  return true;
}

}  // namespace

std::uint32_t NativeAttributes(int dir, const std::string& native) {
  // A symbolic link shows as Windows shows one: a reparse point, with its target's kind.
  struct stat info {};
  if (!LinkStatus(dir, native, &info)) return 0;
  std::uint32_t link = 0;
  if (S_ISLNK(info.st_mode)) {
    link = FILE_ATTRIBUTE_REPARSE_POINT;
    if (::fstatat(dir, native.c_str(), &info, 0) != 0) return link;
  }
  return AttributesOfStatus(info) | link;
}

std::uint32_t AttributesOfStatus(const struct stat& status) {
  if (S_ISDIR(status.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
  std::uint32_t attributes = FILE_ATTRIBUTE_ARCHIVE;
  if (!S_ISREG(status.st_mode)) attributes |= FILE_ATTRIBUTE_DEVICE;
  if ((status.st_mode & S_IWUSR) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes;
}

bool NativeEntryExists(int dir, const std::string& native) {
  struct stat info {};
  return LinkStatus(dir, native, &info);
}

std::vector<std::string> ListNativeDirectory(int dir, const std::string& native) {
  std::vector<std::string> names;
  const int fd = ::openat(dir, native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return names;
  std::unique_ptr<DIR, DirCloser> listing(::fdopendir(fd));
  if (listing == nullptr) {
    ::close(fd);
    return names;
  }
  while (const dirent* entry = ::readdir(listing.get())) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

Win32Error CreateNativeDirectory(int dir, const std::string& native) {
  // mkdir answers EEXIST for any entry, a dangling link included.
  if (::mkdirat(dir, native.c_str(), 0777) == 0) return kErrorSuccess;
  if (errno == EEXIST) return kErrorAlreadyExists;
  if (errno == ENOENT || errno == ENOTDIR) return kErrorPathNotFound;
  return Win32ErrorFromErrno(errno);
}

Win32Error MoveNativeEntry(int fromDir, const std::string& from, int toDir, const std::string& to) {
  struct stat source {};
  if (!LinkStatus(fromDir, from, &source)) return Win32ErrorFromErrno(errno);
  struct stat target {};
  if (LinkStatus(toDir, to, &target)) {
    // Renaming an entry to a spelling of its own name in another case is allowed on Windows.
    const bool sameEntry = target.st_dev == source.st_dev && target.st_ino == source.st_ino;
    if (!sameEntry) return kErrorAlreadyExists;
    return ::renameat(fromDir, from.c_str(), toDir, to.c_str()) == 0 ? kErrorSuccess
                                                                     : Win32ErrorFromErrno(errno);
  }
  if (::renameat2(fromDir, from.c_str(), toDir, to.c_str(), RENAME_NOREPLACE) == 0) {
    return kErrorSuccess;
  }
  int error = errno;
  if (error == EINVAL || error == ENOSYS) {
    // File systems without RENAME_NOREPLACE: a hard link never replaces either.
    if (!S_ISDIR(source.st_mode)) {
      if (::linkat(fromDir, from.c_str(), toDir, to.c_str(), 0) == 0) {
        ::unlinkat(fromDir, from.c_str(), 0);
        return kErrorSuccess;
      }
      if (errno == EEXIST) return kErrorAlreadyExists;
    }
    if (::renameat(fromDir, from.c_str(), toDir, to.c_str()) == 0) return kErrorSuccess;
    error = errno;
  }
  if (error == EXDEV && S_ISREG(source.st_mode)) {
    const Win32Error copied = CopyFileContents(fromDir, from, toDir, to);
    if (copied != kErrorSuccess) return copied;
    return ::unlinkat(fromDir, from.c_str(), 0) == 0 ? kErrorSuccess : Win32ErrorFromErrno(errno);
  }
  if (error == ENOENT) return kErrorPathNotFound;
  return Win32ErrorFromErrno(error);
}

Win32Error ReplaceNativeFile(int fromDir, const std::string& from, const KnownStatus& fromStatus,
                             int toDir, const std::string& to, const KnownStatus& toStatus) {
  struct stat source {};
  if (!LinkStatus(fromDir, from, fromStatus, &source)) {
    return errno == ENOENT ? kErrorFileNotFound : Win32ErrorFromErrno(errno);
  }
  if (S_ISDIR(source.st_mode)) return kErrorAccessDenied;
  struct stat target {};
  if (LinkStatus(toDir, to, toStatus, &target)) {
    if (S_ISDIR(target.st_mode)) return kErrorAccessDenied;
    if (!S_ISLNK(target.st_mode) && (target.st_mode & S_IWUSR) == 0) return kErrorAccessDenied;
  }
  if (::renameat(fromDir, from.c_str(), toDir, to.c_str()) == 0) return kErrorSuccess;
  if (errno == ENOENT || errno == ENOTDIR) return kErrorPathNotFound;
  return Win32ErrorFromErrno(errno);
}

Win32Error DeleteNativeFile(int dir, const std::string& native, const KnownStatus& status) {
  struct stat info {};
  if (!LinkStatus(dir, native, status, &info)) return Win32ErrorFromErrno(errno);
  if (S_ISDIR(info.st_mode)) return kErrorAccessDenied;
  if (!S_ISLNK(info.st_mode) && (info.st_mode & S_IWUSR) == 0) return kErrorAccessDenied;
  return ::unlinkat(dir, native.c_str(), 0) == 0 ? kErrorSuccess : Win32ErrorFromErrno(errno);
}

Win32Error RemoveNativeDirectory(int dir, const std::string& native) {
  struct stat info {};
  if (!LinkStatus(dir, native, &info)) return Win32ErrorFromErrno(errno);
  if (!S_ISDIR(info.st_mode)) return kErrorDirectory;
  if (::unlinkat(dir, native.c_str(), AT_REMOVEDIR) == 0) return kErrorSuccess;
  const int error = errno;
  return error == ENOTEMPTY || error == EEXIST ? kErrorDirNotEmpty : Win32ErrorFromErrno(error);
}

Win32Error SetNativeAttributes(int dir, const std::string& native, std::uint32_t attributes,
                               bool followLink) {
  struct stat info {};
  if (::fstatat(dir, native.c_str(), &info, followLink ? 0 : AT_SYMLINK_NOFOLLOW) != 0) {
    return Win32ErrorFromErrno(errno);
  }
  if (S_ISLNK(info.st_mode)) return kErrorAccessDenied;
  if (S_ISDIR(info.st_mode)) return kErrorSuccess;
  mode_t mode = info.st_mode & 07777;
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
  } else {
    mode |= S_IWUSR;
  }
  if (mode == (info.st_mode & 07777)) return kErrorSuccess;
  if (::fchmodat(dir, native.c_str(), mode, followLink ? 0 : AT_SYMLINK_NOFOLLOW) == 0) {
    return kErrorSuccess;
  }
  if (followLink || (errno != ENOTSUP && errno != EOPNOTSUPP)) return Win32ErrorFromErrno(errno);
  // The C library refuses a link there (one swapped in meanwhile), and without /proc any name.
  if (!LinkStatus(dir, native, &info)) return Win32ErrorFromErrno(errno);
  if (S_ISLNK(info.st_mode)) return kErrorAccessDenied;
  return ::fchmodat(dir, native.c_str(), mode, 0) == 0 ? kErrorSuccess : Win32ErrorFromErrno(errno);
}

}  // namespace setup
