// The script loader on any script: the input is the plain text, stored scrambled as setup.drc,
// and loaded twice as a run does, first without and then with the installation directory.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "script/scrambling.h"
#include "script/script_loader.h"
#include "support/fake_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  setup::testing::FakePlatform fake;
  fake.registry.PutString(setup::kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
                          "ProgramFilesDir", "C:\\Program Files");
  fake.files.PutFile("setup.drc",
                     setup::ScrambledFile(std::string(reinterpret_cast<const char*>(data), size)));

  setup::SetupScript script;
  const int first = setup::LoadFileList(fake.platform, script, nullptr, "setup.drc", nullptr);
  FUZZ_CHECK(first == 0 || first == 1);
  const std::size_t files = script.files.size();
  const std::size_t entries = script.registryEntries.size();
  const std::size_t links = script.links.size();
  const std::size_t hidden = script.hiddenNames.size();
  const std::string defaultDirectory = script.defaultDirectory;

  const auto owner = reinterpret_cast<setup::WindowHandle>(0x10);
  const int second = setup::LoadFileList(fake.platform, script, owner, "setup.drc", "C:\\App");
  // The counting pass does not look at the installation directory: the same tables come back.
  FUZZ_CHECK(second == first);
  FUZZ_CHECK(script.files.size() == files && script.registryEntries.size() == entries &&
             script.links.size() == links && script.hiddenNames.size() == hidden);
  FUZZ_CHECK(fake.files.openFiles == 0);
  if (first == 1 && defaultDirectory.find("APPDIR") == std::string::npos) {
    FUZZ_CHECK(script.defaultDirectory == defaultDirectory);
  }
  // A load that stopped part-way leaves hidden names unfilled; those hide nothing.
  const std::size_t filled = script.hiddenNames.size() - script.unfilledHiddenNames;
  for (std::size_t i = 0; i < filled; ++i) {
    FUZZ_CHECK(setup::ContainsHiddenName(script, script.hiddenNames[i]) == 1);
  }
  setup::FreeSetupScript(script);
  FUZZ_CHECK(script.files.empty() && script.hiddenNames.empty());
  return 0;
}
