// What an earlier setup-pack build left in the distribution folder: its manifest says what it
// made, so a rebuild leaves no stale payload behind and touches nothing else.
#include "pack/previous_build.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <set>

#include "install/manifest_format.h"
#include "pack/tool_support.h"

namespace setup::pack {
namespace {

namespace fs = std::filesystem;

// Whether `relative` below `dist` is a regular file reached without following a symbolic link.
bool PlainFileBelow(const fs::path& dist, const fs::path& relative) {
  fs::path path = dist;
  std::error_code error;
  for (const fs::path& part : relative) {
    path /= part;
    const fs::file_status status = fs::symlink_status(path, error);
    if (error || fs::is_symlink(status)) return false;
  }
  return fs::is_regular_file(fs::symlink_status(path, error)) && !error;
}

fs::path NativeRelative(std::string name) {
  for (char& c : name) {
    if (c == '\\') c = '/';
  }
  return fs::path(name).lexically_normal();
}

bool StillAsMade(const fs::path& path, const ManifestEntry& entry) {
  std::unique_ptr<File> file = ToolFileSystem().Open(path.string(), OpenMode::kReadBinary, nullptr);
  return file != nullptr && !EntryMismatch(*file, entry, "changed");
}

}  // namespace

bool RemovePreviousBuild(const Command& self, const fs::path& dist, PreviousBuild* result) {
  *result = PreviousBuild{};
  const fs::path manifest = dist / kManifestName;
  std::error_code error;
  if (!fs::exists(fs::symlink_status(manifest, error))) return true;
  std::ifstream in(manifest, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string why;
  const std::optional<std::vector<ManifestEntry>> entries =
      in.bad() || !PlainFileBelow(dist, kManifestName) ? std::nullopt : ParseManifest(text, &why);
  if (!entries) {
    ReportError(self, "'" + manifest.string() + "' cannot be read" +
                          (why.empty() ? std::string() : " (" + why + ")") +
                          ", so the files of the earlier build there are unknown; empty the "
                          "folder or name another with --out");
    return false;
  }
  std::set<fs::path> folders;
  for (const ManifestEntry& entry : *entries) {
    const fs::path relative = NativeRelative(entry.name);
    const fs::path path = dist / relative;
    if (!PlainFileBelow(dist, relative)) continue;
    if (!StillAsMade(path, entry)) {
      result->changed.push_back(entry.name);
      continue;
    }
    if (!fs::remove(path, error)) continue;
    ++result->removed;
    for (fs::path folder = relative.parent_path(); !folder.empty(); folder = folder.parent_path()) {
      folders.insert(folder);
    }
  }
  fs::remove(manifest, error);
  // Deepest first; a folder that still holds anything stays.
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
    if (fs::is_directory(fs::symlink_status(dist / *it, error)) &&
        fs::is_empty(dist / *it, error)) {
      fs::remove(dist / *it, error);
    }
  }
  return true;
}

}  // namespace setup::pack
