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
Win32Error CopyFileContents(const std::string& from, const std::string& to) {
  ScopedFd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.get() < 0) return Win32ErrorFromErrno(errno);
  struct stat info {};
  if (::fstat(in.get(), &info) != 0) return Win32ErrorFromErrno(errno);
  ScopedFd out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, info.st_mode & 07777));
  if (out.get() < 0) return Win32ErrorFromErrno(errno);
  auto fail = [&](int error) {
    out.Close();
    ::unlink(to.c_str());
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
    ::unlink(to.c_str());
    return Win32ErrorFromErrno(error);
  }
  return kErrorSuccess;
}

}  // namespace

std::uint32_t NativeAttributes(const std::string& native) {
  // A symbolic link shows as Windows shows one: a reparse point, with its target's kind.
  struct stat own {};
  const std::uint32_t link = ::lstat(native.c_str(), &own) == 0 && S_ISLNK(own.st_mode)
                                 ? static_cast<std::uint32_t>(FILE_ATTRIBUTE_REPARSE_POINT)
                                 : 0u;
  struct stat info {};
  if (::stat(native.c_str(), &info) != 0) return link;
  if (S_ISDIR(info.st_mode)) return FILE_ATTRIBUTE_DIRECTORY | link;
  std::uint32_t attributes = FILE_ATTRIBUTE_ARCHIVE;
  if (!S_ISREG(info.st_mode)) attributes |= FILE_ATTRIBUTE_DEVICE;
  if ((info.st_mode & S_IWUSR) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes | link;
}

bool NativeEntryExists(const std::string& native) {
  struct stat info {};
  return ::lstat(native.c_str(), &info) == 0;
}

std::vector<std::string> ListNativeDirectory(const std::string& native) {
  std::vector<std::string> names;
  std::unique_ptr<DIR, DirCloser> dir(::opendir(native.c_str()));
  if (dir == nullptr) return names;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

Win32Error CreateNativeDirectory(const std::string& native) {
  if (NativeEntryExists(native)) return kErrorAlreadyExists;
  if (::mkdir(native.c_str(), 0777) == 0) return kErrorSuccess;
  if (errno == ENOENT || errno == ENOTDIR) return kErrorPathNotFound;
  return Win32ErrorFromErrno(errno);
}

Win32Error MoveNativeEntry(const std::string& from, const std::string& to) {
  struct stat source {};
  if (::lstat(from.c_str(), &source) != 0) return Win32ErrorFromErrno(errno);
  struct stat target {};
  if (::lstat(to.c_str(), &target) == 0) {
    // Renaming an entry to a spelling of its own name in another case is allowed on Windows.
    const bool sameEntry = target.st_dev == source.st_dev && target.st_ino == source.st_ino;
    if (!sameEntry) return kErrorAlreadyExists;
    return ::rename(from.c_str(), to.c_str()) == 0 ? kErrorSuccess : Win32ErrorFromErrno(errno);
  }
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
    return kErrorSuccess;
  }
  int error = errno;
  if (error == EINVAL || error == ENOSYS) {
    // File systems without RENAME_NOREPLACE: a hard link never replaces either.
    if (!S_ISDIR(source.st_mode)) {
      if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return kErrorSuccess;
      }
      if (errno == EEXIST) return kErrorAlreadyExists;
    }
    if (::rename(from.c_str(), to.c_str()) == 0) return kErrorSuccess;
    error = errno;
  }
  if (error == EXDEV && S_ISREG(source.st_mode)) {
    const Win32Error copied = CopyFileContents(from, to);
    if (copied != kErrorSuccess) return copied;
    return ::unlink(from.c_str()) == 0 ? kErrorSuccess : Win32ErrorFromErrno(errno);
  }
  if (error == ENOENT) return kErrorPathNotFound;
  return Win32ErrorFromErrno(error);
}

Win32Error ReplaceNativeFile(const std::string& from, const std::string& to) {
  struct stat source {};
  if (::lstat(from.c_str(), &source) != 0) {
    return errno == ENOENT ? kErrorFileNotFound : Win32ErrorFromErrno(errno);
  }
  if (S_ISDIR(source.st_mode)) return kErrorAccessDenied;
  struct stat target {};
  if (::lstat(to.c_str(), &target) == 0) {
    if (S_ISDIR(target.st_mode)) return kErrorAccessDenied;
    if (!S_ISLNK(target.st_mode) && (target.st_mode & S_IWUSR) == 0) return kErrorAccessDenied;
  }
  if (::rename(from.c_str(), to.c_str()) == 0) return kErrorSuccess;
  if (errno == ENOENT || errno == ENOTDIR) return kErrorPathNotFound;
  return Win32ErrorFromErrno(errno);
}

Win32Error DeleteNativeFile(const std::string& native) {
  struct stat info {};
  if (::lstat(native.c_str(), &info) != 0) return Win32ErrorFromErrno(errno);
  if (S_ISDIR(info.st_mode)) return kErrorAccessDenied;
  if (!S_ISLNK(info.st_mode) && (info.st_mode & S_IWUSR) == 0) return kErrorAccessDenied;
  return ::unlink(native.c_str()) == 0 ? kErrorSuccess : Win32ErrorFromErrno(errno);
}

Win32Error RemoveNativeDirectory(const std::string& native) {
  struct stat info {};
  if (::lstat(native.c_str(), &info) != 0) return Win32ErrorFromErrno(errno);
  if (!S_ISDIR(info.st_mode)) return kErrorDirectory;
  if (::rmdir(native.c_str()) == 0) return kErrorSuccess;
  const int error = errno;
  return error == ENOTEMPTY || error == EEXIST ? kErrorDirNotEmpty : Win32ErrorFromErrno(error);
}

Win32Error SetNativeAttributes(const std::string& native, std::uint32_t attributes) {
  struct stat info {};
  if (::stat(native.c_str(), &info) != 0) return Win32ErrorFromErrno(errno);
  if (S_ISDIR(info.st_mode)) return kErrorSuccess;
  mode_t mode = info.st_mode & 07777;
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
  } else {
    mode |= S_IWUSR;
  }
  if (mode == (info.st_mode & 07777)) return kErrorSuccess;
  return ::chmod(native.c_str(), mode) == 0 ? kErrorSuccess : Win32ErrorFromErrno(errno);
}

}  // namespace setup
