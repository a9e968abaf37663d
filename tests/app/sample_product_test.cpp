// The sample product in examples/sample: its script loads, every file it names is there, its
// programs carry the version resources the installer reads. Run with SETUP_WRITE_SAMPLE=1 to
// (re)write the generated program files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "script/script_loader.h"
#include "support/fake_platform.h"
#include "support/pe_writer.h"
#include "support/temp_dir.h"

namespace setup::testing {
namespace {

namespace fs = std::filesystem;

fs::path SampleDir() { return fs::path(SETUP_SOURCE_DIR) / "examples/sample"; }

struct GeneratedProgram {
  const char* path;  // below files/
  bool dll;
};
const GeneratedProgram kPrograms[] = {
    {"SampleNotes.exe", false},
    {"system/snrt12.dll", true},
};

std::string ProgramBytes(const GeneratedProgram& program) {
  PeOptions options;
  options.dll = program.dll;
  options.major = 1;
  options.minor = 2;
  return MakePeDll(options);
}

TEST(SampleProduct, GeneratedProgramsAreWhatThePeWriterMakes) {
  const char* write = std::getenv("SETUP_WRITE_SAMPLE");
  for (const GeneratedProgram& program : kPrograms) {
    fs::path path = SampleDir() / "files" / program.path;
    if (write != nullptr && std::string(write) == "1") WriteFileBytes(path, ProgramBytes(program));
    ASSERT_TRUE(fs::exists(path)) << path << " (run with SETUP_WRITE_SAMPLE=1)";
    EXPECT_EQ(ProgramBytes(program), ReadFileBytes(path)) << path;
  }
}

TEST(SampleProduct, ScriptLoadsAndNamesOnlyFilesThatExist) {
  FakePlatform fake;
  fake.registry.PutString(kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
                          "ProgramFilesDir", "C:\\Program Files");
  fake.files.PutFile("setup.txt", ReadFileBytes(SampleDir() / "setup.txt"));
  ASSERT_EQ(1, ScrambleScript(fake.files, "setup.txt", "setup.drc"));
  SetupScript script;
  ASSERT_EQ(1, LoadFileList(fake.platform, script, nullptr, "setup.drc", "C:\\Apps\\Notes"));

  EXPECT_EQ("C:\\Program Files\\Sample Notes", script.defaultDirectory);
  ASSERT_EQ(7u, script.files.size());
  for (const FileEntry& entry : script.files) {
    std::string native = entry.source;
    for (char& c : native) {
      if (c == '\\') c = '/';
    }
    EXPECT_TRUE(fs::is_regular_file(SampleDir() / "files" / native)) << entry.source;
  }
  EXPECT_EQ("C:\\Windows\\System32\\snrt12.dll", script.files.back().destination);
  EXPECT_EQ(2u, script.links.size());
  EXPECT_EQ((std::vector<HiddenName>{"snrt12"}), script.hiddenNames);

  bool uninstallName = false;
  for (const RegistryEntry& entry : script.registryEntries) {
    EXPECT_NE(RegistryType::kAbsent, entry.type) << entry.keyPath;
    uninstallName = uninstallName ||
                    entry.keyPath ==
                        "HKEY_LOCAL_MACHINE|Software|Microsoft|Windows|CurrentVersion|Uninstall|"
                        "Sample Notes|DisplayName";
  }
  EXPECT_TRUE(uninstallName);
}

TEST(SampleProduct, TextsEndTheirLinesInCrLf) {
  for (const char* name : {"setup.txt", "welcome.txt", "terms.txt"}) {
    std::string text = ReadFileBytes(SampleDir() / name);
    ASSERT_FALSE(text.empty()) << name;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\n') {
        EXPECT_TRUE(i > 0 && text[i - 1] == '\r') << name << " at " << i;
      }
    }
  }
}

}  // namespace
}  // namespace setup::testing
