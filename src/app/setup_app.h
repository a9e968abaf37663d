// SetupApp: the application object. It owns the process-wide objects and its start-up operation
// runs the whole installer: script check or conversion, validation, the wizard, the final box.
#pragma once

#include <string>
#include <vector>

#include "base/install_log.h"
#include "decompress/decompress_file.h"
#include "platform/platform.h"
#include "platform/program_folder.h"
#include "script/setup_script.h"

namespace setup {

// What the program ends with; the Windows program uses the same numbers.
enum ExitStatus : int {
  kExitCompleted = 0,    // installed, or the plain script converted into setup.drc
  kExitCannotStart = 1,  // no usable script, conversion failed, bad command line
  kExitCancelled = 2,    // cancelled at the welcome page or terms refused
  kExitIncomplete = 3,   // installed, but a shortcut, a registry value or the log failed
  kExitAborted = 4,      // the installation page did not complete
};

// Where the welcome text is looked for beside a program started as `argument0`
// (PathBesideArgument0 with "Setup2.txt").
std::string WelcomeTextPath(const std::string& argument0, bool slashIsSeparator);

class PayloadManifest;

class SetupApp {
 public:
  // `arguments`: argument 0, then the product name when there is one (options already taken
  // out). `programFolder` opens the welcome text beside the program; without one it is opened
  // through the platform's files beside argument 0, a Windows path.
  SetupApp(const Platform& platform, std::vector<std::string> arguments,
           ProgramFolder* programFolder = nullptr);
  SetupApp(const SetupApp&) = delete;
  SetupApp& operator=(const SetupApp&) = delete;

  // The start-up operation: runs everything and answers the exit status.
  int InitInstance();

  const SetupScript& script() const { return tables_.script; }
  const InstallLog& log() const { return log_; }
  // SETUP.LOG's path when the installation page created it; empty otherwise.
  std::string LogFilePath() const;
  // The distribution's manifest, which the installation checks payloads against; none by default.
  void SetPayloadManifest(const PayloadManifest* manifest) { manifest_ = manifest; }
  // Why the conversion of the plain script failed: the file and the system's reason, as one
  // line ("setup.drc: Permission denied"); empty when there was no failed conversion.
  const std::string& ConversionError() const { return conversionError_; }

 private:
  // The script tables and DefaultDirectory, freed after everything else is gone.
  struct ScriptTables {
    SetupScript script;
    ~ScriptTables() { FreeSetupScript(script); }
  };

  // The wizard's pages in order; each step answers the next one, kWizardDone to end.
  enum WizardStep : int {
    kWizardDone = 0,
    kWelcomeStep = 1,
    kTermsStep = 2,
    kDirectoryStep = 3,
    kInstallationStep = 4,
  };

  WizardStep RunWelcomeStep();
  WizardStep RunTermsStep();
  WizardStep RunDirectoryStep();
  WizardStep RunInstallationStep();
  void WriteLogHeader(const std::string& productName);

  // Declared in the order of construction the process needs: script tables (with
  // DefaultDirectory) first, then the application's own state, then the log, which is
  // therefore closed first at exit.
  ScriptTables tables_;
  const Platform& platform_;
  std::vector<std::string> arguments_;
  ProgramFolder* programFolder_;
  std::string destinationDirectory_;
  const PayloadManifest* manifest_ = nullptr;
  int exitStatus_ = kExitCompleted;
  std::string conversionError_;
  InstallLog log_;
  Decompressor decompressor_;
};

}  // namespace setup
