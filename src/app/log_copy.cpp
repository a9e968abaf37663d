// Copying the installation log where a deployment tool collects it.
#include "app/log_copy.h"

#include <memory>

namespace setup {
namespace {

// Creates each folder on the way to `path`'s own folder; the last one's failure shows as a
// failed open afterwards, so the results along the way need no checking.
void MakeParentFolders(FileSystem& files, const std::string& path) {
  for (std::string::size_type i = 1; i < path.size(); ++i) {
    if (path[i] != '\\' && path[i] != '/') continue;
    if (path[i - 1] == ':' || path[i - 1] == '\\' || path[i - 1] == '/') continue;
    (void)files.CreateDirectory(path.substr(0, i));
  }
}

bool CopyBytes(File& from, File& to) {
  char buffer[16384];
  for (;;) {
    const std::size_t got = from.Read(buffer, sizeof buffer);
    if (got > 0 && to.Write(buffer, got) != got) return false;
    if (got < sizeof buffer) return !from.Error();
  }
}

}  // namespace

bool CopyInstallationLog(FileSystem& files, const std::string& from, const std::string& to) {
  std::unique_ptr<File> source = files.Open(from, OpenMode::kReadBinary, nullptr);
  if (source == nullptr) return false;
  MakeParentFolders(files, to);
  std::unique_ptr<File> target = files.Open(to, OpenMode::kWriteBinary, nullptr);
  if (target == nullptr) return false;
  const bool copied = CopyBytes(*source, *target);
  const bool closed = target->Close();
  source->Close();
  if (copied && closed) return true;
  (void)files.DeleteFile(to);
  return false;
}

}  // namespace setup
