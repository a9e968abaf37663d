// The run sequence: start-up modes, then the wizard as a step machine over four modal pages.
#include "app/setup_app.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "app/directory_dialog.h"
#include "app/product_name.h"
#include "app/read_up_to.h"
#include "app/terms_dialog.h"
#include "app/welcome_dialog.h"
#include "install/dlg_decompress.h"
#include "install/install_context.h"
#include "platform/ascii_case.h"
#include "script/script_loader.h"

namespace setup {
namespace {

constexpr const char* kScriptName = "setup.drc";
constexpr const char* kWelcomeFileName = "Setup2.txt";

}  // namespace

std::string WelcomeTextPath(const std::string& argument0, bool slashIsSeparator) {
  return PathBesideArgument0(argument0, kWelcomeFileName, slashIsSeparator);
}

SetupApp::SetupApp(const Platform& platform, std::vector<std::string> arguments,
                   ProgramFolder* programFolder)
    : platform_(platform),
      arguments_(std::move(arguments)),
      programFolder_(programFolder),
      log_(platform.files, platform.clock, HiddenNamesOf(tables_.script)),
      decompressor_(platform.files, platform.windows) {
  if (arguments_.empty()) arguments_.emplace_back();
}

std::string SetupApp::LogFilePath() const {
  if (!log_.IsOpen()) return std::string();
  return destinationDirectory_ + "\\SETUP.LOG";
}

int SetupApp::InitInstance() {
  // Conversion mode: a plain script and no setup.drc. Nothing is shown or logged.
  if (platform_.files.Open(kScriptName, OpenMode::kReadBinary, nullptr) == nullptr) {
    if (platform_.files.Open(kPlainScriptName, OpenMode::kReadText, nullptr) != nullptr) {
      ScrambleFailure failure;
      int converted = ScrambleScript(platform_.files, kPlainScriptName, kScriptName, &failure);
      if (converted != 1) {
        conversionError_ = failure.path + ": " +
                           (failure.crtError != 0 ? platform_.files.StrError(failure.crtError)
                                                  : std::string("could not be written whole"));
      }
      return converted == 1 ? kExitCompleted : kExitCannotStart;
    }
  }

  if (LoadFileList(platform_, tables_.script, nullptr, kScriptName, nullptr) == 0) {
    platform_.windows.MessageBox(nullptr, "One or more files missing, cannot continue installation",
                                 "Error", MB_ICONERROR);
    return kExitCannotStart;
  }

  destinationDirectory_.clear();
  WizardStep step = kWelcomeStep;
  while (step != kWizardDone) {
    switch (step) {
      case kWelcomeStep:
        step = RunWelcomeStep();
        break;
      case kTermsStep:
        step = RunTermsStep();
        break;
      case kDirectoryStep:
        step = RunDirectoryStep();
        break;
      case kInstallationStep:
        step = RunInstallationStep();
        break;
      case kWizardDone:
        break;
    }
  }
  return exitStatus_;
}

SetupApp::WizardStep SetupApp::RunWelcomeStep() {
  std::string productName = GetProductName(arguments_);
  WelcomeDialog dialog(platform_.windows);
  dialog.m_strCaption = productName + " Setup";

  int crtError = 0;
  std::string path;
  std::unique_ptr<File> file;
  if (programFolder_ != nullptr) {
    path = programFolder_->PathBeside(kWelcomeFileName);
    file = programFolder_->OpenBeside(kWelcomeFileName, &crtError);
  } else {
    path = WelcomeTextPath(arguments_[0], /*slashIsSeparator=*/false);
    file = platform_.files.Open(path, OpenMode::kReadBinary, &crtError);
  }
  if (file != nullptr) {
    std::int64_t length = file->Length();
    std::string bytes;
    // Only the whole file counts; a read that falls short leaves the page empty.
    if (length > 0 && ReadUpTo(*file, length, &bytes)) {
      dialog.m_strWelcomeText = bytes.substr(0, bytes.find('\0'));
    }
    file->Close();
  } else {
    log_.Write("Failed to load %s. Reported reason: %s", path.c_str(),
               platform_.files.StrError(crtError).c_str());
  }

  if (dialog.DoModal() != IDOK) {
    log_.Write("Installation cancelled");
    exitStatus_ = kExitCancelled;
    return kWizardDone;
  }
  WriteLogHeader(productName);
  return kTermsStep;
}

void SetupApp::WriteLogHeader(const std::string& productName) {
  static constexpr char kTitle[] = " - INSTALLATION LOG FILE";
  std::string stars(sizeof(kTitle) - 1 + productName.size(), '*');
  log_.Write("%s", stars.c_str());
  log_.Write("%s%s", UpperCaseAscii(productName).c_str(), kTitle);
  log_.Write("%s", stars.c_str());
  log_.Write("%s", "");
  log_.Write("Begin Installation");
}

SetupApp::WizardStep SetupApp::RunTermsStep() {
  TermsDialog dialog(platform_.windows, platform_.files);
  if (dialog.DoModal() != IDOK) {
    log_.Write("Terms and conditions not accepted, installation aborted");
    exitStatus_ = kExitCancelled;
    return kWizardDone;
  }
  log_.Write("Terms and conditions accepted");
  return kDirectoryStep;
}

SetupApp::WizardStep SetupApp::RunDirectoryStep() {
  std::string productName = GetProductName(arguments_);
  DirectoryDialog dialog(platform_.windows, tables_.script);
  dialog.m_strCaption = productName + " Setup";
  if (dialog.DoModal() != IDOK) {
    log_.Write("Destination directory not chosen, back to Terms and Conditions");
    return kTermsStep;
  }
  destinationDirectory_ = dialog.m_strDirectory;
  log_.Write("Destination directory: %s", destinationDirectory_.c_str());
  return kInstallationStep;
}

SetupApp::WizardStep SetupApp::RunInstallationStep() {
  InstallContext context{platform_, tables_.script, log_, decompressor_, manifest_};
  int result;
  bool stepsFailed;
  {
    DlgDecompress dialog(context);
    dialog.SetDestinationDirectory(destinationDirectory_);
    result = dialog.DoModal();
    stepsFailed = dialog.StepsFailed();
  }
  if (result == kRunCompleted) {
    std::string productName = GetProductName(arguments_);
    std::string text =
        "Installation Successfully Completed.\nTo start the program, just click\nStart, Programs "
        "and " +
        productName + ".";
    platform_.windows.MessageBox(nullptr, text, "", MB_OK);
    log_.Write("Installation Successfully Completed");
    // No line follows: closing the log here tells whether it reached the disk whole. A log that
    // could not be created at all is one of the page's failed steps.
    const bool logWhole = !log_.IsOpen() || log_.Close();
    exitStatus_ = stepsFailed || !logWhole ? kExitIncomplete : kExitCompleted;
    return kWizardDone;
  }
  log_.Write("Installation Aborted (DlgDecompress did not return IDOK)");
  platform_.windows.MessageBox(nullptr, "Installation Aborted", "", MB_OK);
  exitStatus_ = kExitAborted;
  return kWizardDone;
}

}  // namespace setup
