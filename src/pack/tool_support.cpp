// setup-pack's shared pieces. Tools may use the platform's calls directly; the core may not.
#include "pack/tool_support.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "platform/own_program.h"
#include "platform/standard_text.h"
#include "platform/terminal.h"
#include "ui/unattended_window_system.h"

#ifdef _WIN32
#include "platform/win32/win32_file_system.h"
#else
#include "platform/host/ansi_code_page.h"
#include "platform/host/files/native_file_system.h"
#include "platform/host/host_text_encoding.h"
#endif

namespace setup::pack {

std::string ForTerminal(const std::string& ansi) {
#ifdef _WIN32
  return ansi;
#else
  return AnsiCodePage().ToUtf8(ansi);
#endif
}

FileSystem& ToolFileSystem() {
#ifdef _WIN32
  static Win32FileSystem files;
#else
  static NativeFileSystem files;
#endif
  return files;
}

void ReportError(const Command& command, const std::string& message) {
  std::fprintf(stderr, "setup-pack %s: %s\n", command.name, message.c_str());
}

bool ExpectArguments(const Command& command, const std::vector<std::string>& args,
                     std::size_t count) {
  if (args.size() == count) return true;
  std::fprintf(stderr, "Usage: setup-pack %s %s\n(see 'setup-pack %s --help')\n", command.name,
               command.arguments, command.name);
  return false;
}

namespace {

std::unique_ptr<File> OpenOrReport(const Command& command, const std::string& path, OpenMode mode,
                                   const char* doing) {
  int error = 0;
  std::unique_ptr<File> file = ToolFileSystem().Open(path, mode, &error);
  if (!file) {
    ReportError(command, std::string("cannot ") + doing + " '" + path +
                             "': " + ToolFileSystem().StrError(error));
  }
  return file;
}

}  // namespace

std::unique_ptr<File> OpenInput(const Command& command, const std::string& path) {
  return OpenOrReport(command, path, OpenMode::kReadBinary, "read");
}

std::unique_ptr<File> OpenOutput(const Command& command, const std::string& path) {
  return OpenOrReport(command, path, OpenMode::kWriteBinary, "write");
}

std::unique_ptr<WindowSystem> MakeToolWindowSystem() {
#ifdef _WIN32
  // As Setup.exe's unattended runs show the system's texts.
  return std::make_unique<UnattendedWindowSystem>("setup-pack", std::nullopt, StandardError());
#else
  static const HostTextEncoding encoding;
  return std::make_unique<UnattendedWindowSystem>("setup-pack", std::nullopt, StandardError(),
                                                  encoding);
#endif
}

Progress::Progress(std::string label, std::int64_t total, std::int64_t threshold)
    : label_(std::move(label)),
      total_(total),
      active_(total > 0 && total >= threshold && StandardErrorIsTerminal()) {}

Progress::~Progress() {
  if (active_ && shown_ >= 0)
    std::fprintf(stderr, "\r%*s\r", static_cast<int>(label_.size() + 6), "");
}

void Progress::Advance(std::int64_t bytes) {
  if (!active_) return;
  done_ += bytes;
  const int percent = static_cast<int>(std::min<std::int64_t>(100, done_ * 100 / total_));
  if (percent == shown_) return;
  shown_ = percent;
  std::fprintf(stderr, "\r%s %3d%%", label_.c_str(), percent);
  std::fflush(stderr);
}

std::size_t ProgressFile::Read(void* buffer, std::size_t size) {
  const std::size_t got = file_->Read(buffer, size);
  progress_.Advance(static_cast<std::int64_t>(got));
  return got;
}

std::unique_ptr<File> ProgressFileSystem::Open(const std::string& path, OpenMode mode,
                                               int* crtError) {
  std::unique_ptr<File> file = inner().Open(path, mode, crtError);
  if (!file || wrapped_ || path != watched_ || mode != OpenMode::kReadBinary) return file;
  wrapped_ = true;
  return std::make_unique<ProgressFile>(std::move(file), progress_);
}

std::filesystem::path OwnDirectory() {
  return std::filesystem::path(OwnProgramPath()).parent_path();
}

bool OutputIsInput(const Command& self, const std::string& inPath, const std::string& outPath) {
  std::error_code error;
  if (!std::filesystem::equivalent(inPath, outPath, error) || error) return false;
  ReportError(self, "'" + outPath + "' is the input itself");
  return true;
}

}  // namespace setup::pack
