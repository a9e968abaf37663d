// The installer's check of distribution files against "setup.sum" before it uses them.
#include "install/payload_manifest.h"

#include <memory>

#include "install/install_context.h"

namespace setup {
namespace {

constexpr std::int64_t kLargestManifest = 16 << 20;

std::string ReadWhole(File& file, bool* ok) {
  std::string text;
  char buffer[16 * 1024];
  for (;;) {
    const std::size_t got = file.Read(buffer, sizeof buffer);
    if (got == 0) break;
    text.append(buffer, got);
    if (static_cast<std::int64_t>(text.size()) > kLargestManifest) {
      *ok = false;
      return text;
    }
  }
  *ok = !file.Error();
  return text;
}

}  // namespace

std::optional<PayloadManifest> PayloadManifest::Load(FileSystem& files) {
  std::unique_ptr<File> file = files.Open(kManifestName, OpenMode::kReadBinary, nullptr);
  if (file == nullptr) return std::nullopt;
  PayloadManifest manifest;
  bool ok = false;
  const std::string text = ReadWhole(*file, &ok);
  std::string error;
  if (!ok) {
    manifest.unreadable_ = std::string(kManifestName) + " cannot be read";
  } else if (auto entries = ParseManifest(text, &error)) {
    manifest.entries_ = std::move(*entries);
  } else {
    manifest.unreadable_ = std::string(kManifestName) + " is damaged, " + error;
  }
  return manifest;
}

std::optional<std::string> PayloadManifest::Problem(FileSystem& files, const std::string& path,
                                                    bool mustBeListed) const {
  std::unique_ptr<File> file = files.Open(path, OpenMode::kReadBinary, nullptr);
  if (file == nullptr) return std::nullopt;
  if (!unreadable_.empty()) return unreadable_;
  const std::string name = ComparableName(path);
  const ManifestEntry* listed = nullptr;
  for (const ManifestEntry& entry : entries_) {
    if (ComparableName(entry.name) == name) listed = &entry;
  }
  if (listed == nullptr) {
    if (!mustBeListed) return std::nullopt;
    return std::string("it is not listed in ") + kManifestName;
  }
  std::uint64_t size = 0;
  Sha256Digest digest{};
  if (!DigestFile(*file, &size, &digest)) return std::string("it cannot be read");
  if (size != listed->size) {
    return "it holds " + std::to_string(size) + " bytes instead of " + std::to_string(listed->size);
  }
  if (digest != listed->digest) return std::string("its contents have changed");
  return std::nullopt;
}

void ShowDamagedFileBox(WindowSystem& windows, const std::string& name, const std::string& reason) {
  windows.MessageBox(nullptr,
                     "The file " + name + " of this distribution is damaged (" + reason +
                         ").\nThe distribution cannot be installed as it is. Please get a new "
                         "copy of it from the vendor or the place you downloaded it from.",
                     "Error", MB_ICONERROR);
}

bool PayloadIsIntact(const InstallContext& context, const std::string& source) {
  if (context.manifest == nullptr) return true;
  const std::optional<std::string> problem =
      context.manifest->Problem(context.platform.files, source, /*mustBeListed=*/true);
  if (!problem) return true;
  context.log.Write("Payload %s is damaged: %s", source.c_str(), problem->c_str());
  ShowDamagedFileBox(context.platform.windows, source, *problem);
  return false;
}

bool DistributionFilesIntact(FileSystem& files, WindowSystem& windows,
                             const PayloadManifest& manifest) {
  for (const char* name : {"setup.drc", "Setup2.txt", "terms.txt"}) {
    if (std::optional<std::string> problem = manifest.Problem(files, name, false)) {
      ShowDamagedFileBox(windows, name, *problem);
      return false;
    }
  }
  return true;
}

}  // namespace setup
