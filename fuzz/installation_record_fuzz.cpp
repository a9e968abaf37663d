// The installation record's reader on any text: whatever it accepts names a product and a
// directory, holds no entry that would break a line, and writes back to a text read as the same.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/installation_record.h"
#include "fuzz_input.h"

namespace {

bool WholeLine(const std::string& text) {
  return !text.empty() && text.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const auto record = setup::ParseInstallationRecord(text, &error);
  if (!record) {
    FUZZ_CHECK(!error.empty());
    return 0;
  }
  FUZZ_CHECK(WholeLine(record->product) && WholeLine(record->installDir));
  for (const setup::RecordedFile& file : record->files) FUZZ_CHECK(WholeLine(file.path));
  for (const setup::RecordedSharedFile& shared : record->sharedFiles) {
    FUZZ_CHECK(WholeLine(shared.path) && shared.raised > 0 && shared.raised <= INT32_MAX);
  }
  const auto again =
      setup::ParseInstallationRecord(setup::FormatInstallationRecord(*record), &error);
  FUZZ_CHECK(again.has_value());
  FUZZ_CHECK(again->product == record->product && again->installDir == record->installDir);
  FUZZ_CHECK(again->files.size() == record->files.size());
  for (std::size_t i = 0; i < record->files.size(); ++i) {
    FUZZ_CHECK(again->files[i].path == record->files[i].path);
    FUZZ_CHECK(again->files[i].size == record->files[i].size);
    FUZZ_CHECK(again->files[i].digest == record->files[i].digest);
  }
  FUZZ_CHECK(again->sharedFiles.size() == record->sharedFiles.size());
  FUZZ_CHECK(again->links == record->links);
  FUZZ_CHECK(again->values.size() == record->values.size());
  for (std::size_t i = 0; i < record->values.size(); ++i) {
    FUZZ_CHECK(again->values[i].separator == record->values[i].separator);
    FUZZ_CHECK(again->values[i].keyPath == record->values[i].keyPath);
  }
  return 0;
}
