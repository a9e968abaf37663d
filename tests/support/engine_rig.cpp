// The engine's test machine: real files and version resources, scripted windows, fake registry.
#include "support/engine_rig.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "decompress/lzhuf_encoder.h"
#include "script/scrambling.h"
#include "support/pe_writer.h"

namespace setup::testing {

std::vector<std::string> LogMessagesOf(const std::string& logText) {
  // "06 Dec 2026 08:11:32 " is what the fixed clock stamps on every line.
  constexpr std::size_t kTimestampLength = 21;
  std::vector<std::string> messages;
  std::size_t start = 0;
  while (start < logText.size()) {
    std::size_t end = logText.find("\r\n", start);
    if (end == std::string::npos) end = logText.size();
    const std::string line = logText.substr(start, end - start);
    messages.push_back(line.size() >= kTimestampLength ? line.substr(kTimestampLength) : line);
    start = end + 2;
  }
  return messages;
}

::testing::AssertionResult ContainsInOrder(const std::vector<std::string>& lines,
                                           const std::vector<std::string>& wanted) {
  std::size_t at = 0;
  for (const std::string& line : wanted) {
    while (at < lines.size() && lines[at] != line) ++at;
    if (at == lines.size()) {
      ::testing::AssertionResult failure = ::testing::AssertionFailure();
      failure << "missing or out of order: \"" << line << "\"\nin:\n";
      for (const std::string& l : lines) failure << "  " << l << "\n";
      return failure;
    }
    ++at;
  }
  return ::testing::AssertionSuccess();
}

std::string DllImage(std::uint16_t major, std::uint16_t minor, std::uint16_t build) {
  PeOptions options;
  options.major = major;
  options.minor = minor;
  options.build = build;
  return MakePeDll(options);
}

RigShell::RigShell(Shell& machineShell) : system_(machineShell) {}

bool RigShell::GetProgramsFolder(WindowHandle owner, std::string* path) {
  return system_.GetProgramsFolder(owner, path);
}

void RigShell::CoInitialize() {
  ++coInitializeCalls;
  system_.CoInitialize();
}

void RigShell::CoUninitialize() {
  ++coUninitializeCalls;
  system_.CoUninitialize();
}

HResult RigShell::CreateShellLink(std::unique_ptr<ShellLink>* link) {
  return system_.CreateShellLink(link);
}

bool RigShell::MultiByteToWideChar(const std::string& text, int maxUnits, std::u16string* wide) {
  return system_.MultiByteToWideChar(text, maxUnits, wide);
}

EngineRigMachine::EngineRigMachine()
    : machine(MakeTestMachine()),
      files(*machine.files),
      shell(*machine.shell),
      versions(*machine.versions) {}

EngineRig::EngineRig() : InstallationEngine(files, shell, versions) {
#if defined(_WIN32)
  // Relative names (the script, the payloads) are found in the current directory.
  previousCurrentDir_ = std::filesystem::current_path().string();
  std::filesystem::current_path(machine.scratch);
#endif
}

EngineRig::~EngineRig() {
  log.reset();
#if defined(_WIN32)
  std::error_code ignored;
  std::filesystem::current_path(previousCurrentDir_, ignored);
#endif
}

std::string EngineRig::Path(const std::string& relative) const {
  return machine.scratch + "\\" + relative;
}

void EngineRig::PutFile(const std::string& path, const std::string& bytes) {
  // Parents below the scratch folder are made as needed, without the engine's logging.
  for (std::size_t at = path.find('\\', machine.scratch.size() + 1); at != std::string::npos;
       at = path.find('\\', at + 1)) {
    files.CreateDirectory(path.substr(0, at));
  }
  std::unique_ptr<File> file = files.Open(path, OpenMode::kWriteBinary, nullptr);
  ASSERT_TRUE(file) << path;
  ASSERT_EQ(bytes.size(), file->Write(bytes.data(), bytes.size()));
  ASSERT_TRUE(file->Close());
}

std::optional<std::string> EngineRig::ReadFile(const std::string& path) {
  std::unique_ptr<File> file = files.Open(path, OpenMode::kReadBinary, nullptr);
  if (!file) return std::nullopt;
  std::string bytes;
  char buffer[4096];
  std::size_t got = 0;
  while ((got = file->Read(buffer, sizeof buffer)) > 0) bytes.append(buffer, got);
  return bytes;
}

bool EngineRig::Exists(const std::string& path) { return files.FindFirstFile(path).has_value(); }

bool EngineRig::IsDirectory(const std::string& path) {
  const std::optional<FindData> found = files.FindFirstFile(path);
  return found && (found->attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void EngineRig::WriteScript(const std::vector<std::string>& lines) {
  std::string plain;
  for (const std::string& line : lines) plain += line + "\r\n";
  PutFile("setup.drc", ScrambledFile(plain));
}

void EngineRig::PutPayload(const std::string& name, const std::string& plain) {
  PutFile(name, lzhuf::CompressBuffer(plain));
}

WindowHandle EngineRig::DialogWindow() const {
  return windows.timersSet().empty() ? nullptr : windows.timersSet().front().window;
}

std::vector<std::string> EngineRig::CloseLog() {
  const bool opened = log->IsOpen();
  const std::string pending = log->Pending();
  log.reset();
  if (!opened) return LogMessagesOf(pending);
  return LogMessagesOf(ReadFile(lastDestDir + "\\SETUP.LOG").value_or(""));
}

}  // namespace setup::testing
