// What setup-pack's commands share: the file system, error reports, message boxes on standard
// error and a progress line.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pack/commands.h"
#include "platform/file_system.h"
#include "platform/forwarding_file_system.h"
#include "platform/window_system.h"

namespace setup::pack {

// This platform's file system, taking paths as the user typed them.
FileSystem& ToolFileSystem();

// The system's texts are Windows-1252; a Linux terminal expects UTF-8.
std::string ForTerminal(const std::string& ansi);

// A path as the user typed it, for a message whose text is Windows-1252: on Linux its UTF-8
// converted, a character Windows-1252 lacks as '?'.
std::string FromTerminal(const std::string& typed);

// The file on disk that the name `ansi` (Windows-1252, '\' or '/' between folders) stands for
// below `folder`: on Linux the disk holds the names in UTF-8, as Wine presents them to Windows
// programs under their Windows-1252 names; on Windows the name is the system's own.
std::filesystem::path DiskPath(const std::filesystem::path& folder, std::string_view ansi);

// A name on disk (one component) as the installer would open it, in Windows-1252; nothing,
// with `*why` saying which character Windows-1252 lacks, when it cannot be named so.
std::optional<std::string> AnsiNameOf(const std::filesystem::path& name, std::string* why);

// A text typed on the command line, in Windows-1252; nothing, with `*why`, when Windows-1252
// cannot hold it.
std::optional<std::string> AnsiArgument(const std::string& typed, std::string* why);

// A path as this platform's file calls (ToolFileSystem) and messages take it: on Windows in
// the ANSI code page (the C++ library's own narrow form there is UTF-8), a character it lacks
// as '?'.
std::string ToolPath(const std::filesystem::path& path);

// "setup-pack COMMAND: message" on standard error.
void ReportError(const Command& command, const std::string& message);

// True when exactly `count` arguments were given; otherwise reports the usage.
bool ExpectArguments(const Command& command, const std::vector<std::string>& args,
                     std::size_t count);

// Opens for reading or writing; on failure reports the path and the system's reason.
std::unique_ptr<File> OpenInput(const Command& command, const std::string& path);
std::unique_ptr<File> OpenOutput(const Command& command, const std::string& path);

// The window system of setup-pack's machines and decoder: the installer's unattended front end,
// whose message boxes are lines on standard error in the terminal's encoding.
std::unique_ptr<WindowSystem> MakeToolWindowSystem();

// A percentage on standard error while a large file is worked through: shown only when standard
// error is a terminal and `total` is at least `threshold` bytes (by default a few megabytes, below
// which compressing takes too little time for a progress line to help).
class Progress {
 public:
  Progress(std::string label, std::int64_t total, std::int64_t threshold = 4 << 20);
  ~Progress();
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;
  void Advance(std::int64_t bytes);

 private:
  std::string label_;
  std::int64_t total_;
  std::int64_t done_ = 0;
  int shown_ = -1;
  bool active_;
};

// Forwards to another file and counts what is read into a Progress.
class ProgressFile final : public File {
 public:
  ProgressFile(std::unique_ptr<File> file, Progress& progress)
      : file_(std::move(file)), progress_(progress) {}
  std::size_t Read(void* buffer, std::size_t size) override;
  std::size_t Write(const void* buffer, std::size_t size) override {
    return file_->Write(buffer, size);
  }
  std::int64_t Tell() override { return file_->Tell(); }
  bool Seek(std::int64_t offset) override { return file_->Seek(offset); }
  std::int64_t Length() override { return file_->Length(); }
  bool Error() const override { return file_->Error(); }
  bool Close() override { return file_->Close(); }

 private:
  std::unique_ptr<File> file_;
  Progress& progress_;
};

// Forwards to another file system; the first opening of `watched` for reading is counted into a
// Progress. Lets a progress line follow DecompressFile without changing it.
class ProgressFileSystem final : public ForwardingFileSystem {
 public:
  ProgressFileSystem(FileSystem& files, std::string watched, Progress& progress)
      : ForwardingFileSystem(files), watched_(std::move(watched)), progress_(progress) {}
  std::unique_ptr<File> Open(const std::string& path, OpenMode mode, int* crtError) override;

 private:
  std::string watched_;
  Progress& progress_;
  bool wrapped_ = false;
};

// The directory of this program, where the build put the installer and the stub too; empty when
// the system cannot tell it.
std::filesystem::path OwnDirectory();

// True, with the error reported, when `outPath` names the existing file `inPath` (writing it
// would destroy the input).
bool OutputIsInput(const Command& self, const std::string& inPath, const std::string& outPath);

}  // namespace setup::pack
