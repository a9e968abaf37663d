// setup-pack's shared pieces. Tools may use the platform's calls directly; the core may not.
#include "pack/tool_support.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cwchar>
#include <filesystem>

#include "platform/own_program.h"
#include "platform/standard_text.h"
#include "platform/terminal.h"
#include "platform/text_encoding.h"
#include "platform/utf8_to_windows1252.h"
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

std::string FromTerminal(const std::string& typed) {
#ifdef _WIN32
  return typed;
#else
  const AnsiCodePage windows1252;
  const std::optional<std::u32string> characters = DecodeUtf8(typed);
  if (!characters) return typed;
  std::string ansi;
  for (const char32_t c : *characters) ansi += windows1252.FromUnicode(c).value_or('?');
  return ansi;
#endif
}

std::filesystem::path DiskPath(const std::filesystem::path& folder, std::string_view ansi) {
  std::string name(ansi);
  for (char& c : name) {
    if (c == '\\') c = '/';
  }
#ifdef _WIN32
  return folder / std::filesystem::path(name);
#else
  return folder / std::filesystem::path(AnsiCodePage().ToUtf8(name));
#endif
}

namespace {

// UTF-8 `utf8` in Windows-1252, or why not.
std::optional<std::string> StrictWindows1252(std::string_view utf8, std::string* why) {
  const std::optional<std::u32string> characters = DecodeUtf8(utf8);
  if (!characters) {
    *why = "it is not UTF-8 text";
    return std::nullopt;
  }
  std::string ansi;
  std::size_t failedAt = 0;
  if (Utf8ToWindows1252(utf8, &ansi, &failedAt)) return ansi;
  const std::optional<std::u32string> rest = DecodeUtf8(utf8.substr(failedAt));
  const char32_t refused = rest && !rest->empty() ? rest->front() : 0;
  char number[16];
  std::snprintf(number, sizeof number, "U+%04X", static_cast<unsigned>(refused));
#ifdef _WIN32
  const std::string shown = number;  // a console in the ANSI code page cannot show it
#else
  const std::string shown = "'" + EncodeUtf8(std::u32string(1, refused)) + "' (" + number + ")";
#endif
  *why = "it holds " + shown +
         ", which has no place in Windows-1252, the code page the installer reads its script in";
  return std::nullopt;
}

}  // namespace

std::optional<std::string> AnsiNameOf(const std::filesystem::path& name, std::string* why) {
  const std::u8string utf8 = name.u8string();
  return StrictWindows1252(std::string(utf8.begin(), utf8.end()), why);
}

std::optional<std::string> AnsiArgument(const std::string& typed, std::string* why) {
#ifdef _WIN32
  (void)why;
  return typed;  // the command line arrives in the ANSI code page already
#else
  return StrictWindows1252(typed, why);
#endif
}

std::string ToolPath(const std::filesystem::path& path) {
#ifdef _WIN32
  // By the C library's code page, which setup-pack's start sets to the ANSI one.
  std::string narrow;
  std::mbstate_t state{};
  char bytes[MB_LEN_MAX];
  for (const wchar_t unit : path.wstring()) {
    const std::size_t length = std::wcrtomb(bytes, unit, &state);
    if (length == static_cast<std::size_t>(-1)) {
      narrow += '?';
      state = std::mbstate_t{};
      continue;
    }
    narrow.append(bytes, length);
  }
  return narrow;
#else
  return path.string();
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
