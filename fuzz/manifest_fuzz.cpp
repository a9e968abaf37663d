// The manifest parser on any text: whatever it accepts names files below the distribution folder
// only, and writes back to lines that read back to the same entries.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_input.h"
#include "install/manifest_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const auto entries = setup::ParseManifest(text, &error);
  if (!entries) {
    FUZZ_CHECK(!error.empty());
    return 0;
  }
  std::string written = setup::ManifestHeader();
  for (const setup::ManifestEntry& entry : *entries) {
    FUZZ_CHECK(setup::NameStaysInside(entry.name));
    FUZZ_CHECK(entry.name.find(':') == std::string::npos);
    FUZZ_CHECK(entry.name.front() != '\\' && entry.name.front() != '/');
    written += setup::FormatManifestLine(entry);
  }
  const auto again = setup::ParseManifest(written, &error);
  FUZZ_CHECK(again.has_value());
  FUZZ_CHECK(again->size() == entries->size());
  for (std::size_t i = 0; i < entries->size(); ++i) {
    FUZZ_CHECK((*again)[i].name == (*entries)[i].name);
    FUZZ_CHECK((*again)[i].size == (*entries)[i].size);
    FUZZ_CHECK((*again)[i].digest == (*entries)[i].digest);
  }
  return 0;
}
