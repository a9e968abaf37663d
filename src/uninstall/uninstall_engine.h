// The removal itself, as a list of small steps that the progress page runs one per tick, driven
// by the installation record: the files every installation placed, the shared-library counts it
// raised, its shortcuts and registry values, then the uninstaller's own files, the record and
// the product's key, and the directories left empty. Each step can run again after a kill.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/install_log.h"
#include "base/installation_record.h"
#include "platform/platform.h"
#include "platform/program_remover.h"
#include "script/product_record.h"
#include "script/setup_script.h"

namespace setup {

// How shared files no installation uses any more are handled.
enum class SharedFilePolicy { kAsk, kKeep, kRemove };

struct UninstallPolicy {
  SharedFilePolicy sharedFiles = SharedFilePolicy::kAsk;
  bool removeChanged = false;  // files changed since they were installed go too
};

struct UninstallTarget {
  ProductRecord product;
  std::string installDir;      // exactly as the installer had it (?APPDIR?)
  std::string programPath;     // the uninstaller itself
  std::string scriptCopyPath;  // the script copy beside it
};

// Why something stays after the removal.
enum class LeftReason {
  kFailed,       // could not be removed: the removal is incomplete
  kChanged,      // changed since it was installed
  kForeign,      // not installed by this product (the user's own)
  kStillShared,  // a shared file other programs still count
  kSharedKept,   // a shared file nobody uses any more, kept as chosen
  kNotFollowed,  // below a link put in place of an installed folder
};

struct Leftover {
  std::string path;
  LeftReason reason;
};

// The text a reason is listed with.
[[nodiscard]] const char* LeftReasonText(LeftReason reason);

class UninstallEngine {
 public:
  // `record` is a trusted record; `script` is the script copy, whose K lines name the values of
  // the product's own key and whose F lines the own files (the uninstaller, the copy itself).
  UninstallEngine(const Platform& platform, const SetupScript& script,
                  const InstallationRecord& record, InstallLog& log, ProgramRemover& remover,
                  UninstallTarget target, UninstallPolicy policy);

  // One step: the text for the status line and the work. `owner` is the progress page, which
  // owns the questions asked.
  struct Step {
    std::string status;
    std::function<void(WindowHandle owner)> run;
  };
  const std::vector<Step>& steps() const { return steps_; }

  // What stays, in the order found; whether anything the product installed could not go.
  const std::vector<Leftover>& leftovers() const { return leftovers_; }
  bool failed() const { return failed_; }

 private:
  enum class EntryKind { kMissing, kFile, kDirectory, kLink };

  void BuildSteps();
  void RemoveRecordedFile(const RecordedFile& file);
  void ReleaseSharedFile(WindowHandle owner, const RecordedSharedFile& shared);
  void RemoveShortcut(const std::string& linkFile);
  void RemoveRegistryValue(const RecordedValue& value);
  void RemoveEmptyKeys();
  void RemoveProductKey();
  void RemoveFile(const std::string& path);
  void RemoveLink(const std::string& path);
  void RemoveUnseen(const std::string& path);
  void RemoveStaleSideFile(const std::string& path);
  void RemoveProgram();
  void MarkEndedRemoval();
  // The directories that hold the uninstaller, or all the others.
  void RemoveDirectories(bool holdingProgram);

  EntryKind Kind(const std::string& path);
  // Whether a folder between the installation directory and `path` is a link.
  bool BelowLink(const std::string& path);
  bool Matches(const RecordedFile& file);
  const RecordedFile* RecordedFileAt(const std::string& path) const;
  bool IsOwnFile(const std::string& path) const;
  bool IsInsideInstallDir(const std::string& path) const;
  bool InProductKey(const RecordedValue& value) const;
  void Leave(const std::string& path, LeftReason reason);
  void Fail(const std::string& what, const std::string& path, Win32Error error);
  [[nodiscard]] bool SaveRecord();

  const Platform& platform_;
  const SetupScript& script_;
  InstallationRecord record_;  // shrinks as counts are given back, and is saved so
  InstallLog& log_;
  ProgramRemover& remover_;
  UninstallTarget target_;
  UninstallPolicy policy_;
  std::string setupLogPath_;
  std::string recordDir_;
  std::string markPath_;
  std::vector<Step> steps_;
  std::vector<Leftover> leftovers_;
  bool failed_ = false;
  std::string deferredProgram_;
};

// Two Windows paths name the same entry: letter case and repeated backslashes do not matter.
[[nodiscard]] bool SamePath(const std::string& a, const std::string& b);

// A directory without its trailing backslashes (a drive's root keeps one).
[[nodiscard]] std::string TrimDirectory(std::string directory);

}  // namespace setup
