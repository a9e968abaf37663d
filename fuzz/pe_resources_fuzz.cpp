// Reading and rewriting a program's resources on any file: the reader stays inside the bytes,
// and a tree that was written reads back as it was given, also after the bundle's version
// resource replaced the stub's.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "pack/bundle_version_resource.h"
#include "pack/pe_image_resources.h"

namespace {

bool SameResources(const std::vector<setup::pack::Resource>& a,
                   const std::vector<setup::pack::Resource>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!(a[i].type == b[i].type) || !(a[i].name == b[i].name) || a[i].language != b[i].language ||
        a[i].codePage != b[i].codePage || a[i].data != b[i].data) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string image(reinterpret_cast<const char*>(data), size);
  std::vector<setup::pack::Resource> resources;
  std::string why;
  if (!setup::pack::ReadResources(image, &resources, &why)) {
    FUZZ_CHECK(!why.empty());
    return 0;
  }
  std::string rewritten = image;
  if (setup::pack::WriteResources(&rewritten, resources, &why)) {
    std::vector<setup::pack::Resource> again;
    FUZZ_CHECK(setup::pack::ReadResources(rewritten, &again, &why));
    // The writer lays the tree out in its own order: compare what the reader makes of both.
    std::vector<setup::pack::Resource> once;
    std::string twice = rewritten;
    FUZZ_CHECK(setup::pack::WriteResources(&twice, again, &why));
    FUZZ_CHECK(setup::pack::ReadResources(twice, &once, &why));
    FUZZ_CHECK(SameResources(again, once));
    FUZZ_CHECK(again.size() <= resources.size());
  }
  std::string stub = image;
  if (setup::pack::GiveStubIdentity(&stub, {"Acme", "1.2", "Acme Corp", "AcmeSetup.exe"}, &why)) {
    FUZZ_CHECK(setup::pack::ReadResources(stub, &resources, &why));
  }
  return 0;
}
