// The authoring tool's script checks on any script: they never crash, every diagnostic points
// into the file, and a script they find no error in is one the installer loads completely.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz_input.h"
#include "pack/script_checker.h"
#include "script/scrambling.h"
#include "script/script_loader.h"
#include "support/fake_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  setup::testing::FakePlatform fake;
  fake.registry.PutString(setup::kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
                          "ProgramFilesDir", "C:\\Program Files");
  const std::string plain(reinterpret_cast<const char*>(data), size);

  setup::pack::ScriptCheckOptions options;
  options.machine = &fake.platform;
  options.sourceExists = [](const std::string& relative) { return relative.size() % 2 == 0; };
  options.sourceFolder = "src";
  const setup::pack::ScriptCheck check = setup::pack::CheckScript(plain, options);

  int lines = 1;
  for (const char c : plain) lines += c == '\n';
  for (const setup::pack::Diagnostic& diagnostic : check.diagnostics.all()) {
    FUZZ_CHECK(diagnostic.line >= 1 && diagnostic.line <= lines + 1);
    FUZZ_CHECK(diagnostic.column >= 1 && diagnostic.column <= 520 + 1);
    FUZZ_CHECK(!diagnostic.text.empty());
  }
  for (const std::string& source : check.sources) {
    FUZZ_CHECK(!source.empty() && source.front() != '/' && source.find('\\') == std::string::npos);
  }
  if (check.diagnostics.errors() > 0) return 0;

  FUZZ_CHECK(!check.normalised.unmappable);
  // No error: the installer reads every line of what build would write, and each F line names
  // a payload as build stores it.
  const std::string stored =
      setup::pack::WithStoredSources(check.normalised.bytes, check.payloadLines, check.storedNames);
  fake.files.PutFile("setup.drc", setup::ScrambledFile(stored));
  setup::SetupScript script;
  FUZZ_CHECK(setup::LoadFileList(fake.platform, script, nullptr, "setup.drc", nullptr) == 1);
  for (const setup::FileEntry& file : script.files) {
    const std::optional<std::string> relative = setup::pack::RelativeSource(file.source);
    if (relative)
      FUZZ_CHECK(!setup::pack::NamedLikeLibrary(*relative) ||
                 check.storedNames.count(*relative) == 0);
  }
  for (const std::string& name : script.hiddenNames) FUZZ_CHECK(!name.empty());
  for (const setup::LinkEntry& link : script.links) {
    FUZZ_CHECK(link.linkFile.find('\\') != std::string::npos && !link.target.empty());
  }
  return 0;
}
