// The entry both programs share: informational options, then one SetupApp run.
#include "app/run_setup.h"

#include <algorithm>

#include "app/log_copy.h"
#include "install/payload_manifest.h"

namespace setup {

std::optional<int> HandleInformationalOptions(bool parsed, const std::string& parseError,
                                              const CommandLine& commandLine,
                                              const std::string& programName, bool allowMachine,
                                              TextSink& out, TextSink& err) {
  if (!parsed) {
    err << programName << ": " << parseError << "\n";
    return kExitCannotStart;
  }
  if (!allowMachine && commandLine.machine.has_value()) {
    err << programName
        << ": option --machine is only for the Linux program; on Windows the "
           "installer works on this machine\n";
    return kExitCannotStart;
  }
  if (commandLine.help) {
    out << UsageText(programName, allowMachine);
    return kExitCompleted;
  }
  if (commandLine.version) {
    out << VersionText();
    return kExitCompleted;
  }
  return std::nullopt;
}

SetupOutcome RunSetup(const Platform& platform, const CommandLine& commandLine,
                      ProgramFolder& programFolder) {
  // Only argument 0 and the product name matter; further arguments are ignored.
  std::vector<std::string> arguments(
      commandLine.arguments.begin(),
      commandLine.arguments.begin() +
          static_cast<std::ptrdiff_t>(std::min<std::size_t>(commandLine.arguments.size(), 2)));
  SetupOutcome outcome;
  const std::optional<PayloadManifest> manifest = PayloadManifest::Load(platform.files);
  if (manifest && !DistributionFilesIntact(platform.files, platform.windows, *manifest)) {
    platform.windows.MessageBox(nullptr, "One or more files missing, cannot continue installation",
                                "Error", MB_ICONERROR);
    outcome.exitStatus = kExitCannotStart;
    return outcome;
  }
  {
    SetupApp app(platform, std::move(arguments), &programFolder);
    app.SetPayloadManifest(manifest ? &*manifest : nullptr);
    outcome.exitStatus = app.InitInstance();
    outcome.logFilePath = app.LogFilePath();
    outcome.conversionError = app.ConversionError();
  }
  // The log is closed once the application object is gone.
  if (commandLine.logCopy && !outcome.logFilePath.empty() &&
      !CopyInstallationLog(platform.files, outcome.logFilePath, *commandLine.logCopy)) {
    platform.windows.MessageBox(
        nullptr, "The installation log could not be copied to " + *commandLine.logCopy, "Error",
        MB_ICONERROR);
    if (outcome.exitStatus == kExitCompleted) outcome.exitStatus = kExitIncomplete;
  }
  return outcome;
}

}  // namespace setup
