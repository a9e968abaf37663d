// The REGEDIT4 parser on any text: whatever it accepts must write back to a text that reads
// back to the same tree.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_input.h"
#include "platform/host/registry/reg_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  setup::RegistryTree tree;
  const setup::RegParseError error = setup::ParseRegFile(text, &tree);
  if (error.line != 0) {
    FUZZ_CHECK(!error.message.empty());
    return 0;
  }
  const std::string written = setup::SerializeRegFile(tree);
  setup::RegistryTree again;
  const setup::RegParseError reread = setup::ParseRegFile(written, &again);
  if (reread.line != 0) __builtin_printf("%d: %s\n", reread.line, reread.message.c_str());
  FUZZ_CHECK(reread.line == 0);
  FUZZ_CHECK(setup::SerializeRegFile(again) == written);
  return 0;
}
