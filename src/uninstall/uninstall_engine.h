// The removal itself, as a list of small steps that the progress page runs one per tick:
// shortcuts, registry values and their empty keys, files, shared files, the installation's
// own files, then the directories left empty.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "base/install_log.h"
#include "platform/platform.h"
#include "platform/program_remover.h"
#include "script/setup_script.h"
#include "uninstall/product_record.h"

namespace setup {

// How shared files no installation uses any more are handled.
enum class SharedFilePolicy { kAsk, kKeep, kRemove };

struct UninstallTarget {
  ProductRecord product;
  std::string installDir;      // exactly as the installer had it (?APPDIR?)
  std::string programPath;     // the uninstaller itself
  std::string scriptCopyPath;  // the script copy beside it
};

class UninstallEngine {
 public:
  UninstallEngine(const Platform& platform, const SetupScript& script, InstallLog& log,
                  ProgramRemover& remover, UninstallTarget target, SharedFilePolicy policy);

  // One step: the text for the status line and the work. `owner` is the progress page, which
  // owns the questions asked.
  struct Step {
    std::string status;
    std::function<void(WindowHandle owner)> run;
  };
  const std::vector<Step>& steps() const { return steps_; }

  // Whether anything of the installation is still there: a shortcut, a file, SETUP.LOG or the
  // InstallLocation value.
  [[nodiscard]] bool AnythingInstalled();

  // What was left behind, in the order found; whether any removal failed.
  const std::vector<std::string>& leftovers() const { return leftovers_; }
  bool failed() const { return failed_; }

 private:
  void BuildSteps();
  void RemoveShortcut(const LinkEntry& link);
  void RemoveRegistryValue(const RegistryEntry& entry);
  void RemoveEmptyKeys();
  void RemoveFile(const std::string& path);
  void ReleaseSharedFile(WindowHandle owner, const std::string& path);
  void RemoveProgram();
  void RemoveDirectories();

  bool IsOwnFile(const std::string& path) const;
  bool IsInsideInstallDir(const std::string& path) const;
  void Leave(const std::string& path);
  void Fail(const std::string& what, const std::string& path, Win32Error error);
  bool Exists(const std::string& path);

  const Platform& platform_;
  const SetupScript& script_;
  InstallLog& log_;
  ProgramRemover& remover_;
  UninstallTarget target_;
  SharedFilePolicy policy_;
  std::string setupLogPath_;
  std::vector<Step> steps_;
  std::vector<std::string> leftovers_;
  bool failed_ = false;
  std::string deferredProgram_;
};

// Two Windows paths name the same entry: letter case and repeated backslashes do not matter.
[[nodiscard]] bool SamePath(const std::string& a, const std::string& b);

// A directory without its trailing backslashes (a drive's root keeps one).
[[nodiscard]] std::string TrimDirectory(std::string directory);

}  // namespace setup
