// The host's platform objects for one machine folder, owned together in their order of use.
#include "platform/host/host_platform.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "platform/host/files/machine_folder.h"

namespace setup {

HostPlatform::HostPlatform(const std::string& machineDir, const std::string& currentDir,
                           WindowSystem& windows)
    : machineDir_(machineDir),
      registry_(machineDir + "/registry.reg"),
      files_(machineDir, currentDir, &registry_),
      shell_(files_, &registry_, &codePage_),
      versions_(files_),
      windows_(windows, [this] { static_cast<void>(registry_.Flush()); }) {
  registry_.KeepChangesUntilFlush();
  files_.SetCodePage(&codePage_);
}

// An exclusive flock on the machine folder's setup.lock, released by closing the descriptor.
class HostPlatform::MachineLock {
 public:
  explicit MachineLock(int fd) : fd_(fd) {}
  ~MachineLock() { ::close(fd_); }
  MachineLock(const MachineLock&) = delete;
  MachineLock& operator=(const MachineLock&) = delete;

 private:
  int fd_;
};

HostPlatform::~HostPlatform() = default;

namespace {

// The files the installer keeps in the machine folder itself are opened by name: a link in
// place of one would lead its reads and writes out of the folder, and a FIFO would hang them.
std::string CheckStoreFiles(const std::string& machineDir) {
  for (const char* name : {"setup.lock", "registry.reg", "registry.reg.lock"}) {
    const std::string path = machineDir + "/" + name;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) continue;
    const char* what = S_ISLNK(info.st_mode)    ? "a symbolic link"
                       : !S_ISREG(info.st_mode) ? "not a regular file"
                                                : nullptr;
    if (what != nullptr) {
      return "the machine folder " + machineDir + " is not used: " + path + " is " + what +
             "; remove it and start again";
    }
  }
  return "";
}

}  // namespace

// Two installers at once on one machine folder would each raise a shared library's count from
// the same stored value, and one raise would be lost: the second stops at once and says why.
std::string HostPlatform::LockMachineFolder() {
  std::error_code ignored;
  std::filesystem::create_directories(machineDir_, ignored);
  if (std::string error = CheckStoreFiles(machineDir_); !error.empty()) return error;
  const std::string path = machineDir_ + "/setup.lock";
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
  if (fd < 0 && errno != ELOOP) fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  // A folder where the lock cannot even be opened (read-only, without the file) cannot be
  // changed by any installer either: there is nothing to guard.
  if (fd < 0) return "";
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    if (error != EWOULDBLOCK) return "";  // a file system without locks
    return "another installation is running on the machine folder " + machineDir_ +
           "; start again when it has ended";
  }
  lock_ = std::make_unique<MachineLock>(fd);
  return "";
}

std::string HostPlatform::Open() {
  if (std::string error = LockMachineFolder(); !error.empty()) return error;
  if (std::string error = registry_.Open(); !error.empty()) return error;
  if (std::string error = PrepareMachineFolder(machineDir_, registry_); !error.empty()) {
    return error;
  }
  if (registry_.Flush() != kErrorSuccess) return registry_.LastError();
  return ReadCodePage();
}

std::string HostPlatform::ReadCodePage() {
  const std::string text = ReadMachineSetting(&registry_, kCodePageSetting);
  unsigned number = 0;
  bool digits = !text.empty() && text.size() <= 5;
  for (char c : text) {
    digits = digits && c >= '0' && c <= '9';
    if (digits) number = number * 10 + static_cast<unsigned>(c - '0');
  }
  std::optional<AnsiCodePage> loaded = digits ? AnsiCodePage::Load(number) : std::nullopt;
  if (!loaded) {
    std::string known;
    for (unsigned supported : AnsiCodePage::Supported()) {
      known += (known.empty() ? "" : ", ") + std::to_string(supported);
    }
    return "the machine's ANSI code page \"" + text + "\" (HKEY_LOCAL_MACHINE\\" +
           kCodePageSetting.key + " " + kCodePageSetting.name +
           ") is not one this host can use: " + known;
  }
  codePage_ = *loaded;
  return "";
}

std::string HostPlatform::OpenToRead() { return registry_.Open(); }

Platform HostPlatform::platform() {
  return Platform{files_, registry_, shell_, versions_, windows_, clock_};
}

std::string HostPlatform::CurrentDirectory() {
  char buffer[PATH_MAX];
  return ::getcwd(buffer, sizeof buffer) != nullptr ? std::string(buffer) : std::string();
}

}  // namespace setup
