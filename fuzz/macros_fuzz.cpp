// Macro expansion of any text, with any values for the installation directory, the Program
// Files directory, the Windows directory and the Programs folder. The parts of the input are
// separated by 0x01 bytes: text, installation directory, Program Files, Windows, Programs.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "script/macros.h"
#include "support/fake_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto parts = setup::fuzz::SplitInput(data, size, '\x01', 5);
  setup::testing::FakePlatform fake;
  const bool hasDestination = parts.size() > 1;
  const std::string destination = hasDestination ? parts[1] : "";
  if (parts.size() > 2) {
    fake.registry.PutString(setup::kHkeyLocalMachine,
                            "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
                            parts[2]);
  }
  if (parts.size() > 3) fake.files.windowsDirectory = parts[3];
  if (parts.size() > 4) fake.shell.programsFolder = parts[4];

  std::string text = parts[0];
  const std::string original = text;
  setup::ExpandMacros(fake.platform, nullptr, text, hasDestination ? destination.c_str() : nullptr);

  // Text without any question mark is left alone.
  if (original.find('?') == std::string::npos) FUZZ_CHECK(text == original);

  // When no value holds a question mark, no macro word can survive: every occurrence holds a
  // byte of the original text and is replaced, unless the Programs folder could not be had.
  bool valuesPlain = destination.find('?') == std::string::npos;
  for (std::size_t i = 2; i < parts.size(); ++i) {
    valuesPlain = valuesPlain && parts[i].find('?') == std::string::npos;
  }
  if (valuesPlain) {
    FUZZ_CHECK(text.find("?WINDOWS?") == std::string::npos);
    FUZZ_CHECK(text.find("?SYSTEM?") == std::string::npos);
    FUZZ_CHECK(text.find("?APPDIR?") == std::string::npos);
    const bool programsKnown = fake.shell.programsFolder.size() < 260;
    if (programsKnown) {
      FUZZ_CHECK(text.find("?STARTMENU?") == std::string::npos);
      FUZZ_CHECK(text.find("?PRGFDIR?") == std::string::npos);
    }
  }
  FUZZ_CHECK(fake.registry.OpenHandleCount() == 0);
  return 0;
}
