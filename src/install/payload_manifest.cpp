// The installer's check of distribution files against "setup.sum" before it uses them.
#include "install/payload_manifest.h"

#include <cerrno>
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
  int crtError = 0;
  std::unique_ptr<File> file = files.Open(kManifestName, OpenMode::kReadBinary, &crtError);
  PayloadManifest manifest;
  if (file == nullptr) {
    // Only a missing manifest means none. One that is there but cannot be opened (a folder, a
    // FIFO, a link that leads out, a file without read permission) is an unreadable one.
    if (crtError == ENOENT && !files.FindFirstFile(kManifestName)) return std::nullopt;
    manifest.unreadable_ = std::string(kManifestName) + " cannot be read";
    return manifest;
  }
  bool ok = false;
  const std::string text = ReadWhole(*file, &ok);
  std::string error;
  if (!ok) {
    manifest.unreadable_ = std::string(kManifestName) + " cannot be read";
  } else if (auto entries = ParseManifest(text, &error)) {
    manifest.entries_ = std::move(*entries);
    // Each name folded once; the parser refused names that fold alike.
    manifest.byName_.reserve(manifest.entries_.size());
    for (std::size_t i = 0; i < manifest.entries_.size(); ++i) {
      manifest.byName_.emplace(ComparableName(manifest.entries_[i].name), i);
    }
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
  const auto listed = byName_.find(ComparableName(path));
  if (listed == byName_.end()) {
    if (!mustBeListed) return std::nullopt;
    return std::string("it is not listed in ") + kManifestName;
  }
  return EntryMismatch(*file, entries_[listed->second], "its contents have changed");
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
