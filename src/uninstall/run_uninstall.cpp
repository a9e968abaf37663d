// The uninstaller's run, from reading the script copy to the final message.
#include "uninstall/run_uninstall.h"

#include "base/install_log.h"
#include "base/installation_record_store.h"
#include "base/path_parts.h"
#include "base/registry_access.h"
#include "platform/ascii_case.h"
#include "script/product_record.h"
#include "script/script_loader.h"
#include "uninstall/dlg_uninstall.h"
#include "uninstall/ended_removal.h"
#include "uninstall/uninstall_engine.h"

namespace setup {
namespace {

int ErrorBox(WindowSystem& windows, const std::string& text) {
  return windows.MessageBox(nullptr, text, "Error", MB_OK | MB_ICONERROR);
}

// A removal killed in its last step, finished: the uninstaller and what little was left.
UninstallOutcome FinishEnded(const Platform& platform, ProgramRemover& remover,
                             const std::string& programDir, const std::string& programPath,
                             const std::optional<ProductRecord>& product) {
  WindowSystem& windows = platform.windows;
  UninstallOutcome outcome;
  const std::optional<std::string> name =
      product ? std::optional<std::string>(product->name) : std::nullopt;
  if (!FinishEndedRemoval(platform.files, platform.registry, remover, programDir, programPath,
                          name)) {
    windows.MessageBox(
        nullptr, "Some elements could not be removed. You can remove them manually:\n" + programDir,
        windows.ApplicationTitle().c_str(), MB_OK | MB_ICONWARNING);
    outcome.exitStatus = kUninstallIncomplete;
    return outcome;
  }
  const std::string text = product ? product->displayName + " was removed from this computer."
                                   : "The removal from " + programDir + " was finished.";
  windows.MessageBox(nullptr, text, windows.ApplicationTitle().c_str(), MB_OK);
  return outcome;
}

}  // namespace

UninstallOutcome RunUninstall(const Platform& platform, const UninstallCommandLine& commandLine,
                              const std::string& programPath, ProgramRemover& remover) {
  WindowSystem& windows = platform.windows;
  const std::string title = windows.ApplicationTitle();
  UninstallOutcome outcome;
  SetupScript script;
  InstallLog log(platform.files, platform.clock, HiddenNamesOf(script));

  const std::size_t slash = programPath.rfind('\\');
  const std::string programDir =
      slash == std::string::npos ? std::string(".") : programPath.substr(0, slash);
  const std::string scriptCopy = programDir + "\\" + kUninstallScriptName;
  const bool scriptCopyThere = FileExists(platform.files, scriptCopy) != 0;
  if (!scriptCopyThere && IsEndedRemoval(platform.files, programDir, programPath)) {
    return FinishEnded(platform, remover, programDir, programPath, std::nullopt);
  }
  if (!scriptCopyThere ||
      LoadFileList(platform, script, nullptr, scriptCopy.c_str(), nullptr) == 0) {
    ErrorBox(windows, "The uninstall information " + scriptCopy +
                          " is missing or damaged: the product cannot be removed.");
    outcome.exitStatus = kUninstallCannotStart;
    return outcome;
  }
  const std::optional<ProductRecord> product = FindProductRecord(script);
  if (!product) {
    ErrorBox(windows, "The uninstall information " + scriptCopy +
                          " names no installation directory: the product cannot be removed.");
    outcome.exitStatus = kUninstallCannotStart;
    return outcome;
  }

  // The directory exactly as the installer had it, so every path (the shared files' count
  // names among them) comes out as the installer formed it: the registry keeps it as typed.
  // A record that names another directory belongs to another installation of the product;
  // this program removes the one it lies in.
  std::string installDir = programDir;
  const std::optional<std::string> location =
      ReadRegistryString(platform.registry, product->installLocationPath, product->separator);
  if (location && SamePath(TrimDirectory(*location), programDir)) installDir = *location;
  log.Write("Begin Uninstallation");
  log.Write("Product: %s", product->name.c_str());
  log.Write("Installation directory: %s", installDir.c_str());
  if (LoadFileList(platform, script, nullptr, scriptCopy.c_str(), installDir.c_str()) == 0) {
    ErrorBox(windows, "The uninstall information " + scriptCopy +
                          " is missing or damaged: the product cannot be removed.");
    outcome.exitStatus = kUninstallCannotStart;
    return outcome;
  }

  UninstallPolicy policy;
  if (commandLine.unattended) {
    policy.sharedFiles =
        commandLine.removeShared ? SharedFilePolicy::kRemove : SharedFilePolicy::kKeep;
  }
  policy.removeChanged = commandLine.removeChanged;

  // Only what the installer wrote down is removed, and only from a record whose digest it
  // stored where a plain user cannot write.
  StoredRecord stored = ReadInstallationRecord(platform.files, platform.registry, programDir);
  if (stored.status == RecordStatus::kTrusted &&
      !EqualsIgnoringAsciiCase(stored.record.product, product->name)) {
    stored.status = RecordStatus::kUntrusted;
    stored.problem = RecordPath(programDir) + " belongs to the product " + stored.record.product;
  }
  if (stored.status == RecordStatus::kUntrusted) {
    ErrorBox(windows, "The installation record cannot be trusted: " + stored.problem +
                          ".\nNothing was changed: the product cannot be removed.");
    outcome.exitStatus = kUninstallCannotStart;
    return outcome;
  }
  if (stored.status == RecordStatus::kMissing) {
    // A removal killed after the record went leaves the product's key holding the digest: it
    // is finished from here. A key without the digest belongs to an installation that wrote no
    // record; no key at all, to a product removed already (this is a copy left behind).
    const std::string key = ProductUninstallKey(product->name);
    const bool digest =
        ReadRegistryValue(platform.registry, key + "\\" + kInstallationRecordDigestValue, '\\')
            .has_value();
    if (!digest && location && SamePath(TrimDirectory(*location), programDir)) {
      ErrorBox(windows, "The installation record " + RecordPath(programDir) +
                            " is missing: the product cannot be removed.");
      outcome.exitStatus = kUninstallCannotStart;
      return outcome;
    }
    if (!digest && IsEndedRemoval(platform.files, programDir, programPath)) {
      return FinishEnded(platform, remover, programDir, programPath, product);
    }
    if (!digest || (location && !SamePath(TrimDirectory(*location), programDir))) {
      windows.MessageBox(nullptr,
                         product->displayName +
                             " is not installed on this computer (any more): nothing was changed.",
                         title.c_str(), MB_OK | MB_ICONINFORMATION);
      return outcome;
    }
    stored.record.product = product->name;
    stored.record.installDir = installDir;
  }
  UninstallEngine engine(platform, script, stored.record, log, remover,
                         UninstallTarget{*product, installDir, programPath, scriptCopy}, policy);
  if (!commandLine.unattended &&
      windows.MessageBox(
          nullptr, "Do you want to remove " + product->displayName + " and all of its components?",
          title.c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES) {
    outcome.exitStatus = kUninstallCancelled;
    return outcome;
  }

  // The log goes where the removal cannot take it: the temporary directory.
  std::string tempDir = platform.files.GetTempPath();
  if (!tempDir.empty() && tempDir.back() != '\\') tempDir += '\\';
  const std::string logPath = tempDir + kUninstallLogName;
  const bool logOpen = !tempDir.empty() && log.Open(logPath) != 0;

  DlgUninstall page(windows, engine);
  page.DoModal();

  log.Write("End of Uninstallation");
  const bool logWritten = logOpen && log.Close();
  if (logOpen) outcome.logFilePath = logPath;

  std::string text;
  std::string failedList;
  std::string keptList;
  for (const Leftover& left : engine.leftovers()) {
    if (left.reason == LeftReason::kFailed) {
      failedList += "\n" + left.path;
    } else {
      keptList += "\n" + left.path + " (" + LeftReasonText(left.reason) + ")";
    }
  }
  if (!failedList.empty()) {
    text = "Some elements could not be removed. You can remove them manually:" + failedList;
    if (!keptList.empty()) text += "\n\nThese stay:" + keptList;
  } else if (!keptList.empty()) {
    text = product->displayName + " was removed from this computer. These stay:" + keptList;
  } else {
    text = product->displayName + " was removed from this computer.";
  }
  if (logWritten) {
    text += "\n\nThe log of the removal is " + logPath;
  } else {
    text += "\n\nThe log of the removal could not be written completely (is the disk full?): " +
            (logOpen ? logPath : tempDir + kUninstallLogName);
  }
  windows.MessageBox(nullptr, text, title.c_str(),
                     engine.failed() || !logWritten ? MB_OK | MB_ICONWARNING : MB_OK);
  outcome.exitStatus = engine.failed() || !logWritten ? kUninstallIncomplete : kUninstallRemoved;
  return outcome;
}

}  // namespace setup
