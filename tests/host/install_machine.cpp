// A machine folder with the installation engine over it, for whole-run tests on the host.
#include "host/install_machine.h"

#include "install/dlg_decompress.h"
#include "script/scrambling.h"

namespace setup::testing {

namespace fs = std::filesystem;

std::string ScrambledScript(const std::string& plain) {
  std::string bytes = plain;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<char>(
        ScrambleByte(static_cast<std::uint8_t>(bytes[i]), static_cast<std::int64_t>(i) + 1));
  }
  return bytes;
}

InstallMachine::InstallMachine()
    : machineFiles_(temp_.Native("machine"), temp_.Native("current")),
      files(machineFiles_),
      shell(files, nullptr),
      versions(files),
      platform{files, registry, shell, versions, windows, clock},
      log(std::make_unique<InstallLog>(files, clock, script)),
      decompressor(files, windows),
      context{platform, script, *log, decompressor} {
  fs::create_directories(temp_.path() / "machine" / "drive_c");
  fs::create_directories(temp_.path() / "current");
}

InstallMachine::~InstallMachine() = default;

fs::path InstallMachine::Native(const std::string& relative) const {
  return temp_.path() / "machine" / "drive_c" / relative;
}

void InstallMachine::WriteCurrent(const std::string& name, const std::string& bytes) {
  WriteFileBytes(temp_.path() / "current" / name, bytes);
}

std::optional<std::string> InstallMachine::Installed(const std::string& relative) const {
  if (!fs::is_regular_file(Native(relative))) return std::nullopt;
  return ReadFileBytes(Native(relative));
}

int InstallMachine::Run(const std::string& destDir) {
  DlgDecompress dialog(context);
  dialog.m_strDestDir = destDir;
  const int result = dialog.DoModal();
  log.reset();
  return result;
}

}  // namespace setup::testing
