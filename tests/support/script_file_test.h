// A setup.drc among the fakes: scrambled as the file format says, and a fixture that loads one.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "script/script_loader.h"
#include "support/fake_platform.h"

namespace setup::testing {

// Scrambles as the file format says, independently of the program's own transform: the byte at
// 1-based position p is XOR-ed with NOT((p + 0x5A) mod 256).
inline std::string Scrambled(const std::string& plain) {
  std::string stored = plain;
  for (std::size_t i = 0; i < stored.size(); ++i) {
    const auto key = static_cast<unsigned char>(~((i + 1 + 0x5A) & 0xFF));
    stored[i] = static_cast<char>(static_cast<unsigned char>(stored[i]) ^ key);
  }
  return stored;
}

// Loads plain script text through the fakes, stored scrambled as "setup.drc".
class ScriptFileTest : public ::testing::Test {
 protected:
  int LoadScript(const std::string& plain, const char* destination) {
    fake.files.PutFile("setup.drc", Scrambled(plain));
    return LoadFileList(fake.platform, script, nullptr, "setup.drc", destination);
  }

  // The destination of every file record, in the script's order.
  std::vector<std::string> Destinations() const {
    std::vector<std::string> destinations;
    for (const FileEntry& entry : script.files) destinations.push_back(entry.destination);
    return destinations;
  }

  FakePlatform fake;
  SetupScript script;
};

}  // namespace setup::testing
