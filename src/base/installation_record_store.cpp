// Reading, checking and saving the installation record.
#include "base/installation_record_store.h"

#include <optional>
#include <vector>

#include "base/registry_access.h"

namespace setup {
namespace {

constexpr const char* kSideSuffix = ".~save";

std::string DigestValuePath(const std::string& product) {
  return ProductUninstallKey(product) + "\\" + kInstallationRecordDigestValue;
}

// The file's bytes, at most the largest record and one more; nothing when it cannot be read.
std::optional<std::string> ReadBounded(FileSystem& files, const std::string& path) {
  int crtError = 0;
  std::unique_ptr<File> file = files.Open(path, OpenMode::kReadBinary, &crtError);
  if (!file) return std::nullopt;
  std::string bytes;
  char buffer[16384];
  while (bytes.size() <= kInstallationRecordMaxSize) {
    const std::size_t got = file->Read(buffer, sizeof buffer);
    if (got == 0) break;
    bytes.append(buffer, got);
  }
  if (file->Error()) return std::nullopt;
  return bytes;
}

bool Exists(FileSystem& files, const std::string& path) {
  return files.FindAttributes(path).has_value();
}

// The record in `path` when it is whole, its digest is stored and it names `directory`.
std::optional<InstallationRecord> Trusted(FileSystem& files, Registry& registry,
                                          const std::string& path, const std::string& directory,
                                          std::string* problem) {
  const std::optional<std::string> bytes = ReadBounded(files, path);
  if (!bytes) {
    *problem = path + " cannot be read";
    return std::nullopt;
  }
  std::string error;
  std::optional<InstallationRecord> record = ParseInstallationRecord(*bytes, &error);
  if (!record) {
    *problem = path + " is damaged (" + error + ")";
    return std::nullopt;
  }
  if (!SameWindowsPath(record->installDir, directory)) {
    *problem = path + " belongs to an installation in " + record->installDir;
    return std::nullopt;
  }
  const std::optional<std::string> stored =
      ReadRegistryString(registry, DigestValuePath(record->product), '\\');
  if (!stored || *stored != DigestText(DigestOf(*bytes))) {
    *problem = path + " does not match the digest the installer stored";
    return std::nullopt;
  }
  return record;
}

}  // namespace

bool DigestFile(FileSystem& files, const std::string& path, std::uint64_t* size,
                Sha256Digest* digest) {
  int crtError = 0;
  std::unique_ptr<File> file = files.Open(path, OpenMode::kReadBinary, &crtError);
  if (!file) return false;
  std::unique_ptr<Sha256> sha = CreateSha256();
  std::uint64_t total = 0;
  std::vector<char> buffer(64 * 1024);
  while (true) {
    const std::size_t got = file->Read(buffer.data(), buffer.size());
    if (got == 0) break;
    sha->Update(buffer.data(), got);
    total += got;
  }
  if (file->Error()) return false;
  *size = total;
  *digest = sha->Finish();
  return true;
}

std::string RecordPath(const std::string& directory) {
  return directory + "\\" + kInstallationRecordName;
}

std::string RecordSidePath(const std::string& directory) {
  return RecordPath(directory) + kSideSuffix;
}

StoredRecord ReadInstallationRecord(FileSystem& files, Registry& registry,
                                    const std::string& directory) {
  StoredRecord result;
  const std::string main = RecordPath(directory);
  const std::string side = RecordSidePath(directory);
  const bool mainThere = Exists(files, main);
  const bool sideThere = Exists(files, side);
  if (!mainThere && !sideThere) return result;
  std::string problem;
  std::optional<InstallationRecord> record;
  if (mainThere) record = Trusted(files, registry, main, directory, &problem);
  if (!record && sideThere) {
    std::string sideProblem;
    record = Trusted(files, registry, side, directory, &sideProblem);
    if (!mainThere) problem = sideProblem;
  }
  if (!record) {
    result.status = RecordStatus::kUntrusted;
    result.problem = problem;
    return result;
  }
  result.status = RecordStatus::kTrusted;
  result.record = std::move(*record);
  return result;
}

bool WriteInstallationRecord(FileSystem& files, Registry& registry, const std::string& directory,
                             const InstallationRecord& record) {
  const std::string text = FormatInstallationRecord(record);
  const std::string side = RecordSidePath(directory);
  {
    int crtError = 0;
    std::unique_ptr<File> file = files.Open(side, OpenMode::kWriteBinary, &crtError);
    if (!file) return false;
    const bool written = file->Write(text.data(), text.size()) == text.size();
    if (!file->Close() || !written) {
      static_cast<void>(files.DeleteFile(side));
      return false;
    }
  }
  if (WriteRegistryString(registry, DigestValuePath(record.product), DigestText(DigestOf(text)),
                          '\\') == 0 ||
      registry.FlushKey(kHkeyLocalMachine) != kErrorSuccess) {
    return false;
  }
  return files.MoveFileReplacing(side, RecordPath(directory)) == kErrorSuccess;
}

}  // namespace setup
