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

namespace {

// Creates the folders along `sub` below `root` that are missing. An entry that exists is left
// as it is, whatever it is, and nothing is created through a link, so the walk never leaves
// the machine folder. Answers an empty text, or what went wrong.
std::string CreateMissingFolders(const std::filesystem::path& root, const std::string& sub) {
  namespace fs = std::filesystem;
  fs::path current = root;
  for (const fs::path& part : fs::path(sub)) {
    current /= part;
    std::error_code error;
    const fs::file_status status = fs::symlink_status(current, error);
    if (status.type() == fs::file_type::directory) continue;
    if (status.type() != fs::file_type::not_found) return "";  // left as it is
    fs::create_directory(current, error);
    if (error) return "cannot create " + current.string() + ": " + error.message();
  }
  return "";
}

bool ValueExists(Registry& registry, const MachineSetting& setting) {
  ScopedRegKey key(registry);
  if (registry.OpenKey(setting.root, setting.key, key.receive()) != kErrorSuccess) return false;
  std::uint32_t size = 0;
  return registry.QueryValue(key.get(), setting.name, nullptr, &size) == kErrorSuccess;
}

}  // namespace

std::string PrepareMachineFolder(const std::string& dir, Registry& registry) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path root(dir);
  fs::create_directories(root, error);
  if (error) return "cannot create the machine folder " + dir + ": " + error.message();
  const bool hasRegistry = fs::exists(root / "registry.reg", error);
  const bool isNew = !fs::exists(root / "drive_c", error) && !hasRegistry;

  // What is missing is completed on every run, so a first run that was killed half-way does
  // not leave a machine without its system folders for good. The folders come first and
  // registry.reg is saved only after them: once it exists, a missing folder was removed on
  // purpose and stays so. Failures count only for a new folder: an existing one goes on as it
  // is, and the run reports what it then cannot do.
  std::string failure;
  for (const char* sub :
       {"drive_c/Windows/System32", "drive_c/Windows/Temp", "drive_c/Program Files",
        "drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"}) {
    if (hasRegistry) break;
    std::string problem = CreateMissingFolders(root, sub);
    if (failure.empty()) failure = std::move(problem);
  }
  for (const MachineSetting* setting :
       {&kWindowsDirectorySetting, &kTempSetting, &kProgramFilesSetting, &kProgramsSetting,
        &kCodePageSetting}) {
    if (ValueExists(registry, *setting)) continue;
    ScopedRegKey key(registry);
    Win32Error result = registry.CreateKey(setting->root, setting->key, nullptr, key.receive());
    if (result == kErrorSuccess) {
      const std::string value = setting->defaultValue;
      result = registry.SetValue(key.get(), setting->name, REG_SZ,
                                 reinterpret_cast<const std::uint8_t*>(value.c_str()),
                                 static_cast<std::uint32_t>(value.size() + 1));
    }
    if (result != kErrorSuccess && failure.empty()) {
      failure = std::string("cannot store the default ") + setting->name +
                " in the registry (error " + std::to_string(result) + ")";
    }
  }
  return isNew ? failure : "";
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
