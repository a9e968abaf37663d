// The one-file installer's system operations on Linux.
#include "platform/host/bundle/host_bundle_system.h"

#include <fcntl.h>
#include <signal.h>
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

std::string HostBundleSystem::OwnProgramPath() { return setup::OwnProgramPath(); }

std::unique_ptr<File> HostBundleSystem::OpenForReading(const std::string& path) {
  return StdioFile::Open(path, OpenMode::kReadBinary, nullptr);
}

std::string HostBundleSystem::CreatePrivateFolder(std::string* error) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = (tmp != nullptr && *tmp != '\0') ? tmp : "/tmp";
  pattern += "/setup-bundle.XXXXXX";
  // mkdtemp makes the folder with mode 0700.
  if (mkdtemp(pattern.data()) == nullptr) {
    *error = std::strerror(errno);
    return std::string();
  }
  return pattern;
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
  return StdioFile::Open(path, OpenMode::kWriteBinary, nullptr);
}

void HostBundleSystem::RemoveTree(const std::string& path) {
  std::error_code error;
  std::filesystem::remove_all(path, error);
}

int HostBundleSystem::RunAndWait(const std::string& folder, const std::string& program,
                                 const std::vector<std::string>& arguments, std::string* error) {
  const std::string path = folder + "/" + program;
  std::vector<std::string> argv = {path};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  std::vector<char*> pointers;
  for (std::string& argument : argv) pointers.push_back(argument.data());
  pointers.push_back(nullptr);

  // Like system(): a Ctrl-C reaches the installer, which decides; the stub stays to clean up.
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  struct sigaction oldInt {
  }, oldQuit{};
  sigaction(SIGINT, &ignore, &oldInt);
  sigaction(SIGQUIT, &ignore, &oldQuit);
  const pid_t child = fork();
  if (child == 0) {
    sigaction(SIGINT, &oldInt, nullptr);
    sigaction(SIGQUIT, &oldQuit, nullptr);
    if (chdir(folder.c_str()) == 0) execv(path.c_str(), pointers.data());
    _exit(127);
  }
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
  sigaction(SIGINT, &oldInt, nullptr);
  sigaction(SIGQUIT, &oldQuit, nullptr);
  return status;
}

void HostBundleSystem::ShowError(const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
}

}  // namespace setup
