// A fake machine for the wizard's tests: in-memory files and registry, a scripted window system,
// a fixed clock, and one run of SetupApp with what it left behind.
#pragma once

#include <string>
#include <vector>

#include "app/setup_app.h"
#include "platform/forwarding_file_system.h"
#include "platform/platform.h"
#include "support/fake_platform.h"
#include "support/scripted_window_system.h"

namespace setup::testing {

// Log text split into its messages, the 21-character timestamps taken off.
std::vector<std::string> MessagesOf(const std::string& logText);
// The timestamps of the log's lines ("06 Dec 2026 08:11:32").
std::vector<std::string> TimestampsOf(const std::string& logText);

// Files whose length is reported as `claimedLength` whatever they hold, as a file that shrank
// after its length was taken, or one of many gigabytes, would report it.
class LengthClaimingFiles final : public ForwardingFileSystem {
 public:
  LengthClaimingFiles(FileSystem& inner, std::string path, std::int64_t claimedLength)
      : ForwardingFileSystem(inner), path_(std::move(path)), claimedLength_(claimedLength) {}
  std::unique_ptr<File> Open(const std::string& path, OpenMode mode, int* crtError) override;

 private:
  std::string path_;
  std::int64_t claimedLength_;
};

class WizardRig {
 public:
  WizardRig();

  // setup.drc in the current directory: the lines, each ending in CR LF, scrambled.
  void WriteScript(const std::vector<std::string>& lines);
  // The plain script alone.
  void WritePlainScript(const std::vector<std::string>& lines);

  // Runs SetupApp::InitInstance with these arguments (argument 0 first); the app is gone after.
  int Run(std::vector<std::string> arguments = {"C:\\dist\\setup.exe"});

  // Queued user actions on the innermost dialog.
  void PressOk();
  void PressCancel();
  void TypeInto(int itemId, const std::string& text);

  FakeFileSystem files;
  FakeRegistry registry;
  FakeShell shell;
  FakeVersionInfo versions;
  ScriptedWindowSystem windows{"setup"};
  FakeClock clock;
  Platform platform{files, registry, shell, versions, windows, clock};

  // What the last run left.
  std::string logFilePath;  // SETUP.LOG's path when it was created
  std::string pendingLog;   // lines that never reached a file
  std::string defaultDirectory;
};

}  // namespace setup::testing
