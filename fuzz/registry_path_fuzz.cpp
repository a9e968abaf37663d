// Registry paths of any shape, with any separator: walking them to read, write and count must
// close every key it opens, and a value written by a path reads back by the same path. The
// input is the separator byte, then the path, then (after a 0x01 byte) the data.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/registry_access.h"
#include "fuzz_input.h"
#include "support/fake_registry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const char separator = static_cast<char>(data[0]);
  const auto parts = setup::fuzz::SplitInput(data + 1, size - 1, '\x01', 2);
  const std::string& path = parts[0];
  const std::string text = parts.size() > 1 ? parts[1] : "value";

  setup::testing::FakeRegistry registry;
  // Nothing is stored yet, so nothing can be read.
  FUZZ_CHECK(!setup::ReadRegistryValue(registry, path, separator).has_value());

  const int written = setup::WriteRegistryString(registry, path, text, separator);
  FUZZ_CHECK(written == 0 || written == 1);
  const std::optional<std::vector<std::uint8_t>> read =
      setup::ReadRegistryValue(registry, path, separator);
  if (written == 1 && text.size() + 1 <= 260) {
    FUZZ_CHECK(read.has_value());
    FUZZ_CHECK(read->size() == text.size() + 1);
    FUZZ_CHECK(std::string(read->begin(), read->end() - 1) == text && read->back() == 0);
  }
  if (written == 0) FUZZ_CHECK(!read.has_value());

  const int dword = setup::WriteRegistryDword(registry, path, 0x12345678u, separator);
  FUZZ_CHECK(dword == written);
  if (dword == 1) {
    const auto number = setup::ReadRegistryValue(registry, path, separator);
    FUZZ_CHECK(number.has_value() && number->size() == 4 && (*number)[0] == 0x78);
  }

  // Any text names a shared library's count.
  FUZZ_CHECK(setup::GetSharedDllCount(registry, path) == -1);
  FUZZ_CHECK(setup::SetSharedDllCount(registry, path, 7) == 1);
  FUZZ_CHECK(setup::GetSharedDllCount(registry, path) == 7);

  FUZZ_CHECK(registry.OpenHandleCount() == 0);
  return 0;
}
