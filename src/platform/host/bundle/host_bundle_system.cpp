// The one-file installer's system operations on Linux.
#include "platform/host/bundle/host_bundle_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/host/files/stdio_file.h"
#include "platform/own_program.h"

namespace setup {
namespace {

constexpr const char* kFolderPrefix = "setup-bundle.";
constexpr int kForwarded[] = {SIGTERM, SIGHUP, SIGINT};

// What the handler shares with the stub: the first signal that came, and the installer's
// process once it runs.
volatile sig_atomic_t g_signal = 0;
volatile sig_atomic_t g_child = 0;
bool g_handled[NSIG] = {};

void OnSignal(int number) {
  if (g_signal == 0) g_signal = number;
  const pid_t child = static_cast<pid_t>(g_child);
  if (child > 0) ::kill(child, number);
}

sigset_t ForwardedSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int number : kForwarded) sigaddset(&set, number);
  return set;
}

std::string TemporaryDirectory() {
  const char* tmp = std::getenv("TMPDIR");
  return (tmp != nullptr && *tmp != '\0') ? tmp : "/tmp";
}

// Takes the folder's lock, waiting while another process holds it; -1 when the folder cannot be
// opened. The descriptor stays open across exec, so the installer holds the lock too.
int LockFolder(const std::string& path, bool wait) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
  if (fd < 0) return -1;
  while (::flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB)) != 0) {
    if (errno == EINTR && wait) continue;
    ::close(fd);
    return -1;
  }
  return fd;
}

// The folders of stubs that were killed (their lock is free): this user's own only.
void RemoveStaleFolders(const std::string& tmp) {
  DIR* listing = ::opendir(tmp.c_str());
  if (listing == nullptr) return;
  std::vector<std::string> stale;
  while (const dirent* entry = ::readdir(listing)) {
    const std::string name = entry->d_name;
    if (name.compare(0, std::strlen(kFolderPrefix), kFolderPrefix) != 0) continue;
    stale.push_back(tmp + "/" + name);
  }
  ::closedir(listing);
  for (const std::string& path : stale) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) {
      continue;
    }
    const int fd = LockFolder(path, false);
    if (fd < 0) continue;  // alive, or not ours to open
    struct stat locked {};
    // The name must still be the folder that was locked.
    if (::fstat(fd, &locked) == 0 && locked.st_dev == info.st_dev && locked.st_ino == info.st_ino) {
      std::error_code ignored;
      std::filesystem::remove_all(path, ignored);
    }
    ::close(fd);
  }
}

// A file being extracted: its writes fail once a signal came, so the extraction stops there.
class InterruptibleFile final : public File {
 public:
  explicit InterruptibleFile(std::unique_ptr<File> file) : file_(std::move(file)) {}
  std::size_t Read(void* buffer, std::size_t size) override { return file_->Read(buffer, size); }
  std::size_t Write(const void* buffer, std::size_t size) override {
    if (g_signal != 0) return 0;
    return file_->Write(buffer, size);
  }
  std::int64_t Tell() override { return file_->Tell(); }
  bool Seek(std::int64_t offset) override { return file_->Seek(offset); }
  std::int64_t Length() override { return file_->Length(); }
  bool Error() const override { return file_->Error(); }
  bool Close() override { return file_->Close() && g_signal == 0; }

 private:
  std::unique_ptr<File> file_;
};

}  // namespace

HostBundleSystem::HostBundleSystem() {
  // A signal the stub was started to ignore (nohup, a background job) stays ignored.
  for (int number : kForwarded) {
    struct sigaction old {};
    if (::sigaction(number, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;
    struct sigaction handler {};
    handler.sa_handler = OnSignal;
    handler.sa_flags = SA_RESTART;
    sigfillset(&handler.sa_mask);
    if (::sigaction(number, &handler, nullptr) == 0) g_handled[number] = true;
  }
}

HostBundleSystem::~HostBundleSystem() {
  if (folderLock_ >= 0) ::close(folderLock_);
}

int HostBundleSystem::EndWith(int status) {
  const int number = g_signal;
  if (number == 0) return status;
  if (folderLock_ >= 0) ::close(folderLock_);
  folderLock_ = -1;
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  ::sigaction(number, &fallback, nullptr);
  const sigset_t set = ForwardedSet();
  ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
  ::raise(number);
  return 128 + number;
}

std::string HostBundleSystem::OwnProgramPath() { return setup::OwnProgramPath(); }

std::unique_ptr<File> HostBundleSystem::OpenForReading(const std::string& path) {
  return StdioFile::Open(path, OpenMode::kReadBinary, nullptr);
}

std::string HostBundleSystem::CreatePrivateFolder(std::string* error) {
  const std::string tmp = TemporaryDirectory();
  RemoveStaleFolders(tmp);
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (g_signal != 0) {
      *error = "interrupted";
      return std::string();
    }
    std::string pattern = tmp + "/" + kFolderPrefix + "XXXXXX";
    // mkdtemp makes the folder with mode 0700.
    if (mkdtemp(pattern.data()) == nullptr) {
      *error = std::strerror(errno);
      return std::string();
    }
    const int fd = LockFolder(pattern, true);
    struct stat info {};
    // Another stub's clean-up may have found it unlocked and removed it in between: a new one.
    if (fd >= 0 && ::fstat(fd, &info) == 0 && info.st_nlink > 0) {
      folderLock_ = fd;
      return pattern;
    }
    if (fd >= 0) ::close(fd);
  }
  *error = "the folder was removed as soon as it was made";
  return std::string();
}

bool HostBundleSystem::CreateFolder(const std::string& path) {
  return mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

std::unique_ptr<File> HostBundleSystem::CreateFile(const std::string& path, bool executable) {
  // Created with its final mode, so no moment exists in which others could open it.
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW,
                      executable ? 0700 : 0600);
  if (fd < 0) return nullptr;
  close(fd);
  if (g_signal != 0) return nullptr;
  std::unique_ptr<File> file = StdioFile::Open(path, OpenMode::kWriteBinary, nullptr);
  if (file == nullptr) return nullptr;
  return std::make_unique<InterruptibleFile>(std::move(file));
}

void HostBundleSystem::RemoveTree(const std::string& path) {
  std::error_code error;
  std::filesystem::remove_all(path, error);
  if (folderLock_ >= 0) ::close(folderLock_);
  folderLock_ = -1;
}

int HostBundleSystem::RunAndWait(const std::string& folder, const std::string& program,
                                 const std::vector<std::string>& arguments, std::string* error) {
  const std::string path = folder + "/" + program;
  std::vector<std::string> argv = {path};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  std::vector<char*> pointers;
  for (std::string& argument : argv) pointers.push_back(argument.data());
  pointers.push_back(nullptr);

  // Like system(): QUIT (Ctrl-\) reaches the installer, which decides; the stub stays to clean up.
  // TERM, HUP and INT are handed on by the handler.
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  struct sigaction oldQuit {};
  sigaction(SIGQUIT, &ignore, &oldQuit);
  // Blocked until the handler knows the installer's process, and in the new process until it
  // has the default actions back: no signal falls between the two.
  const sigset_t forwarded = ForwardedSet();
  sigset_t oldMask;
  sigprocmask(SIG_BLOCK, &forwarded, &oldMask);
  if (g_signal != 0) {
    sigprocmask(SIG_SETMASK, &oldMask, nullptr);
    sigaction(SIGQUIT, &oldQuit, nullptr);
    *error = "interrupted";
    return -1;
  }
  const pid_t child = fork();
  if (child == 0) {
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    for (int number : kForwarded) {
      if (g_handled[number]) sigaction(number, &fallback, nullptr);
    }
    sigaction(SIGQUIT, &oldQuit, nullptr);
    sigprocmask(SIG_SETMASK, &oldMask, nullptr);
    if (chdir(folder.c_str()) == 0) execv(path.c_str(), pointers.data());
    _exit(127);
  }
  if (child > 0) g_child = child;
  sigprocmask(SIG_SETMASK, &oldMask, nullptr);
  int status = -1;
  if (child < 0) {
    *error = std::strerror(errno);
  } else {
    int raw = 0;
    while (waitpid(child, &raw, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(raw)) {
      status = WEXITSTATUS(raw);
      if (status == 127) {
        *error = "it could not be executed";
        status = -1;
      }
    } else if (WIFSIGNALED(raw)) {
      status = 128 + WTERMSIG(raw);
    }
  }
  g_child = 0;
  sigaction(SIGQUIT, &oldQuit, nullptr);
  return status;
}

void HostBundleSystem::ShowError(const std::string& text) {
  // A stub stopped by a signal ends by it without a word: the user (or the system) asked for it.
  if (g_signal != 0) return;
  std::fprintf(stderr, "%s\n", text.c_str());
}

}  // namespace setup
