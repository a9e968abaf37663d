// The host's machine folder: where it lies and the machine's directories in its registry.
#include "platform/host/machine_folder.h"

#include <vector>

namespace setup {

std::optional<std::string> ReadMachineString(Registry* registry, RegKey root,
                                             const std::string& key, const std::string& name) {
  if (registry == nullptr) return std::nullopt;
  ScopedRegKey opened(*registry);
  if (registry->OpenKey(root, key, opened.receive()) != kErrorSuccess) return std::nullopt;
  std::uint32_t size = 0;
  if (registry->QueryValue(opened.get(), name, nullptr, &size) != kErrorSuccess || size == 0) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> data(size);
  if (registry->QueryValue(opened.get(), name, data.data(), &size) != kErrorSuccess) {
    return std::nullopt;
  }
  std::string text(data.begin(), data.begin() + size);
  text = text.substr(0, text.find('\0'));
  if (text.empty()) return std::nullopt;
  return text;
}

std::string ReadMachineSetting(Registry* registry, const MachineSetting& setting) {
  if (auto value = ReadMachineString(registry, setting.root, setting.key, setting.name)) {
    return *value;
  }
  return setting.defaultValue != nullptr ? setting.defaultValue : "";
}

std::string ChooseMachineFolder(const std::optional<std::string>& option, const char* setupMachine,
                                const char* xdgDataHome, const char* home) {
  if (option.has_value() && !option->empty()) return *option;
  if (setupMachine != nullptr && *setupMachine != '\0') return setupMachine;
  if (xdgDataHome != nullptr && xdgDataHome[0] == '/') {
    return std::string(xdgDataHome) + "/setup/machine";
  }
  if (home != nullptr && *home != '\0') return std::string(home) + "/.local/share/setup/machine";
  return "";
}

}  // namespace setup
