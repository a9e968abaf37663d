// The host's machine folder: where it lies and the machine's directories in its registry.
#include "platform/host/files/machine_folder.h"

#include <filesystem>
#include <system_error>
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

std::string PrepareMachineFolder(const std::string& dir, Registry& registry) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path root(dir);
  fs::create_directories(root, error);
  if (error) return "cannot create the machine folder " + dir + ": " + error.message();
  const bool isNew =
      !fs::exists(root / "drive_c", error) && !fs::exists(root / "registry.reg", error);
  if (!isNew) return "";

  const fs::path driveC = root / "drive_c";
  for (const char* sub : {"Windows/System32", "Windows/Temp", "Program Files",
                          "ProgramData/Microsoft/Windows/Start Menu/Programs"}) {
    fs::create_directories(driveC / sub, error);
    if (error) return "cannot create " + (driveC / sub).string() + ": " + error.message();
  }
  for (const MachineSetting* setting :
       {&kWindowsDirectorySetting, &kTempSetting, &kProgramFilesSetting, &kProgramsSetting,
        &kCodePageSetting}) {
    if (ReadMachineString(&registry, setting->root, setting->key, setting->name)) continue;
    ScopedRegKey key(registry);
    Win32Error result = registry.CreateKey(setting->root, setting->key, nullptr, key.receive());
    if (result == kErrorSuccess) {
      const std::string value = setting->defaultValue;
      result = registry.SetValue(key.get(), setting->name, REG_SZ,
                                 reinterpret_cast<const std::uint8_t*>(value.c_str()),
                                 static_cast<std::uint32_t>(value.size() + 1));
    }
    if (result != kErrorSuccess) {
      return std::string("cannot store the default ") + setting->name + " in the registry (error " +
             std::to_string(result) + ")";
    }
  }
  return "";
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
