// The installation engine over the platform's real files, shell links and version resources in a
// scratch folder, for one test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/installation_engine.h"
#include "support/test_platform.h"

namespace setup::testing {

// The messages of log text ("timestamp message" CR LF per line), timestamps taken off.
std::vector<std::string> LogMessagesOf(const std::string& logText);

// Success when `wanted` occur in `lines` in this order (others may lie between them).
::testing::AssertionResult ContainsInOrder(const std::vector<std::string>& lines,
                                           const std::vector<std::string>& wanted);

// A DLL image with the file version major.minor.build.0.
std::string DllImage(std::uint16_t major, std::uint16_t minor, std::uint16_t build = 0);

// The machine's own shell, with its COM calls counted.
class RigShell final : public Shell {
 public:
  explicit RigShell(Shell& machineShell);
  bool GetProgramsFolder(WindowHandle owner, std::string* path) override;
  void CoInitialize() override;
  void CoUninitialize() override;
  HResult CreateShellLink(std::unique_ptr<ShellLink>* link) override;
  bool MultiByteToWideChar(const std::string& text, int maxUnits, std::u16string* wide) override;

  int coInitializeCalls = 0;
  int coUninitializeCalls = 0;

 private:
  Shell& system_;
};

// The machine part of the rig, made before the engine that works on it.
struct EngineRigMachine {
  EngineRigMachine();
  TestMachine machine;
  FileSystem& files;
  RigShell shell;
  VersionInfo& versions;
};

class EngineRig : public EngineRigMachine, public InstallationEngine {
 public:
  EngineRig();
  ~EngineRig();

  // A path in the scratch folder, e.g. Path("App\\a.txt").
  std::string Path(const std::string& relative) const;
  // Whole files through the platform's file operations.
  void PutFile(const std::string& path, const std::string& bytes);
  std::optional<std::string> ReadFile(const std::string& path);
  bool Exists(const std::string& path);
  bool IsDirectory(const std::string& path);

  // Writes "setup.drc" into the current directory: the lines, each ending in CR LF, scrambled.
  void WriteScript(const std::vector<std::string>& lines);
  // Compresses `plain` into the payload file `name` in the current directory.
  void PutPayload(const std::string& name, const std::string& plain);

  // The window the last run's dialog had (the owner of its boxes).
  WindowHandle DialogWindow() const;

  // The log's messages so far: SETUP.LOG's after closing it (the log cannot be written after
  // this), or the pending ones when no file was opened.
  std::vector<std::string> CloseLog();

 private:
  std::string previousCurrentDir_;
};

}  // namespace setup::testing
