// The machine a script is checked against: its directories give the macros their values.
#include "pack/checking_machine.h"

#include <cstdlib>
#include <filesystem>
#include <random>

#include "pack/tool_support.h"

#ifdef _WIN32
#include "platform/win32/win32_platform.h"
#else
#include "platform/host/files/machine_folder.h"
#include "platform/host/host_platform.h"
#endif

namespace setup::pack {

#ifdef _WIN32

struct CheckingMachine::Parts {
  std::unique_ptr<WindowSystem> windows = MakeToolWindowSystem();
  Win32Platform machine{*windows};
};

CheckingMachine::CheckingMachine() = default;
CheckingMachine::~CheckingMachine() = default;

std::string CheckingMachine::Open(const std::optional<std::string>& folder) {
  if (folder) return "--machine is for the host's machine folders; on Windows this machine counts";
  parts_ = std::make_unique<Parts>();
  return "";
}

Platform CheckingMachine::platform() { return parts_->machine.platform(); }

#else

namespace fs = std::filesystem;

struct CheckingMachine::Parts {
  std::unique_ptr<WindowSystem> windows = MakeToolWindowSystem();
  // A new machine folder made for the check alone, removed afterwards.
  fs::path scratch;
  std::unique_ptr<HostPlatform> host;
  ~Parts() {
    host.reset();
    std::error_code ignored;
    if (!scratch.empty()) fs::remove_all(scratch, ignored);
  }
};

CheckingMachine::CheckingMachine() = default;
CheckingMachine::~CheckingMachine() = default;

std::string CheckingMachine::Open(const std::optional<std::string>& folder) {
  parts_ = std::make_unique<Parts>();
  const std::string dir = ChooseMachineFolder(folder, std::getenv("SETUP_MACHINE"),
                                              std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
  std::error_code error;
  if (!dir.empty() && fs::exists(dir, error)) {
    parts_->host = std::make_unique<HostPlatform>(dir, "/", *parts_->windows);
    return parts_->host->OpenToRead();
  }
  // What the installer would make of a machine folder on first use, made elsewhere.
  std::random_device random;
  parts_->scratch = fs::temp_directory_path(error) /
                    ("setup-pack-machine-" + std::to_string(random()) + std::to_string(random()));
  if (error) return "no temporary directory for a new machine folder: " + error.message();
  parts_->host = std::make_unique<HostPlatform>(parts_->scratch.string(), "/", *parts_->windows);
  return parts_->host->Open();
}

Platform CheckingMachine::platform() { return parts_->host->platform(); }

#endif

}  // namespace setup::pack
