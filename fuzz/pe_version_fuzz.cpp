// The PE version reader on any file: the resource walk, the root value of the block it finds,
// and the whole version query through the host's version reader.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "install/file_version.h"
#include "platform/host/version/pe_resources.h"
#include "platform/host/version/pe_version_info.h"
#include "support/fake_file_system.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string image(reinterpret_cast<const char*>(data), size);

  setup::MemoryByteSource source(image);
  const std::string block = setup::ReadVersionResource(source);
  FUZZ_CHECK(block.size() <= setup::kMaxVersionInfoSize);
  std::size_t offset = 0;
  std::uint32_t length = 0;
  if (!block.empty() && setup::FindRootValue(block.data(), block.size(), &offset, &length)) {
    FUZZ_CHECK(offset <= block.size() && length <= block.size() - offset);
  }
  // The same walk over the raw bytes, as if they were a block themselves.
  if (setup::FindRootValue(image.data(), image.size(), &offset, &length)) {
    FUZZ_CHECK(offset <= image.size() && length <= image.size() - offset);
  }

  setup::testing::FakeFileSystem files;
  files.PutFile("C:\\lib.dll", image);
  setup::PeVersionInfo versions(files);
  const std::uint32_t infoSize = versions.GetFileVersionInfoSize("C:\\lib.dll");
  FUZZ_CHECK(infoSize == block.size());
  const std::optional<setup::FileVersion> version =
      setup::ReadFileVersion(files, versions, "C:\\lib.dll");
  if (version) FUZZ_CHECK(!block.empty());
  FUZZ_CHECK(files.openFiles == 0);
  return 0;
}
