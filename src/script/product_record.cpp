// Finding the product's uninstall record among the script's registry lines.
#include "script/product_record.h"

#include "base/registry_path.h"
#include "platform/ascii_case.h"

namespace setup {

std::optional<ProductRecord> FindProductRecord(const SetupScript& script) {
  std::optional<ProductRecord> record;
  for (const RegistryEntry& entry : script.registryEntries) {
    if (entry.type != RegistryType::kSz) continue;
    const std::optional<RegistryPath> path = SplitRegistryPath(entry.keyPath, entry.separator);
    if (!path) continue;
    const std::optional<std::string> name = UninstallKeyName(*path);
    if (!name || !EqualsIgnoringAsciiCase(path->valueName, "InstallLocation")) continue;
    record = ProductRecord{*name, *name, entry.keyPath, entry.separator};
  }
  if (!record) return record;
  for (const RegistryEntry& entry : script.registryEntries) {
    if (entry.type != RegistryType::kSz || entry.stringValue.empty()) continue;
    const std::optional<RegistryPath> path = SplitRegistryPath(entry.keyPath, entry.separator);
    if (!path) continue;
    const std::optional<std::string> name = UninstallKeyName(*path);
    if (name && EqualsIgnoringAsciiCase(*name, record->name) &&
        EqualsIgnoringAsciiCase(path->valueName, "DisplayName")) {
      record->displayName = entry.stringValue;
    }
  }
  return record;
}

}  // namespace setup
