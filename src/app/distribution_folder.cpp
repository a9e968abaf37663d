// Choosing the folder the installer works in.
#include "app/distribution_folder.h"

#include "script/script_loader.h"

namespace setup {
namespace {

constexpr const char* kScriptName = "setup.drc";

bool HoldsDistribution(ProgramFolder& folder, bool programFolder) {
  for (const char* name : {kScriptName, kPlainScriptName}) {
    if (programFolder ? folder.ProgramFolderHolds(name) : folder.CurrentFolderHolds(name)) {
      return true;
    }
  }
  return false;
}

}  // namespace

DistributionFolder EnterDistributionFolder(ProgramFolder& folder) {
  if (HoldsDistribution(folder, false) || !HoldsDistribution(folder, true)) {
    return DistributionFolder::kCurrent;
  }
  return folder.EnterProgramFolder() ? DistributionFolder::kProgram : DistributionFolder::kCurrent;
}

}  // namespace setup
