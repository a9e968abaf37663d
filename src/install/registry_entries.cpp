// Writing the script's registry values, each failure reported as lost uninstall information.
#include "install/registry_entries.h"

#include "base/registry_access.h"
#include "install/installation_recorder.h"

namespace setup {

namespace {

// The script keeps no type text for an unrecognised type; the log shows it as a missing text.
constexpr const char* kMissingTypeText = "(null)";

}  // namespace

int WriteRegistryEntries(InstallPage& page) {
  const InstallContext& context = page.context();
  Registry& registry = context.platform.registry;
  InstallLog& log = context.log;

  int failed = 0;
  for (const RegistryEntry& entry : context.script.registryEntries) {
    bool written = false;
    bool unknownType = false;
    switch (entry.type) {
      case RegistryType::kSz:
        if (WriteRegistryString(registry, entry.keyPath, entry.stringValue, entry.separator) != 0) {
          log.Write("Key added successfully: %s=%s", entry.keyPath.c_str(),
                    entry.stringValue.c_str());
          written = true;
        }
        break;
      case RegistryType::kDword:
        if (WriteRegistryDword(registry, entry.keyPath, entry.dwordValue, entry.separator) != 0) {
          log.Write("Key added successfully: %s=%0x", entry.keyPath.c_str(), entry.dwordValue);
          written = true;
        }
        break;
      case RegistryType::kAbsent:
        unknownType = true;
        break;
    }
    if (written) {
      if (InstallationRecorder* recorder = page.Recorder()) recorder->ValueWritten(entry);
      continue;
    }
    ++failed;
    if (unknownType) {
      log.Write("Failed to add registry key. Unknown type: %s", kMissingTypeText);
      continue;
    }
    log.Write("Registry not successfully updated");
    page.ShowPageBox(
        "Uninstall information could not successfully\nbe input to registry. The program can run "
        "normally,\nbut its uninstallation will have to be done\nmanually.");
  }
  return failed;
}

}  // namespace setup
