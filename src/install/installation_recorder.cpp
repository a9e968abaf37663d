// Building the installation record from the run's own steps.
#include "install/installation_recorder.h"

#include <algorithm>

#include "base/installation_record_store.h"
#include "base/path_parts.h"
#include "platform/ascii_case.h"
#include "script/product_record.h"

namespace setup {

std::unique_ptr<InstallationRecorder> InstallationRecorder::ForScript(
    const InstallContext& context) {
  const std::optional<ProductRecord> product = FindProductRecord(context.script);
  if (!product) return nullptr;
  std::string directory;
  for (const FileEntry& file : context.script.files) {
    if (!EqualsIgnoringAsciiCase(GetFileName(file.destination), kUninstallScriptName)) continue;
    const std::size_t slash = file.destination.rfind('\\');
    if (slash != std::string::npos) directory = file.destination.substr(0, slash);
  }
  if (directory.empty()) return nullptr;
  // The record names every path as the system resolves it now, relative ones included.
  directory = context.platform.files.GetFullPathName(directory);
  if (directory.empty()) return nullptr;
  while (directory.size() > 3 && directory.back() == '\\') directory.pop_back();

  InstallationRecord record;
  // An earlier installation's record carries its entries over; one that cannot be trusted is
  // replaced, never merged.
  StoredRecord earlier =
      ReadInstallationRecord(context.platform.files, context.platform.registry, directory);
  if (earlier.status == RecordStatus::kTrusted &&
      EqualsIgnoringAsciiCase(earlier.record.product, product->name)) {
    record = std::move(earlier.record);
  }
  record.product = product->name;
  record.installDir = directory;
  return std::make_unique<InstallationRecorder>(context, std::move(record));
}

InstallationRecorder::InstallationRecorder(const InstallContext& context, InstallationRecord record)
    : context_(context), record_(std::move(record)) {}

std::string InstallationRecorder::FullPath(const std::string& path) const {
  return context_.platform.files.GetFullPathName(path);
}

void InstallationRecorder::FilePlaced(const std::string& path,
                                      const std::optional<WrittenFile>& written) {
  RecordedFile file;
  file.path = FullPath(path);
  // A path without a full name is left out: the removal then touches nothing for it.
  if (file.path.empty()) return;
  if (written && written->destination == path) {
    file.size = written->size;
    file.digest = written->digest;
  } else if (!DigestFile(context_.platform.files, file.path, &file.size, &file.digest)) {
    return;
  }
  record_.AddFile(std::move(file));
  // Each save writes the whole record and makes the registry durable: files are saved in
  // batches that grow with the record, so that saving stays linear in its size. A kill loses
  // at most one batch, which the next run places and records again.
  const std::size_t batch = std::max<std::size_t>(kFilesPerSave, record_.files.size() / 8);
  if (++unsaved_ >= batch) static_cast<void>(Save());
}

void InstallationRecorder::SharedCountRaised(const std::string& countName) {
  // The count's value name exactly as raised: the removal lowers that very value.
  record_.AddSharedRaise(countName, 1);
  static_cast<void>(Save());
}

void InstallationRecorder::LinkCreated(const std::string& linkFile) {
  const std::string path = FullPath(linkFile);
  if (!path.empty()) record_.AddLink(path);
}

void InstallationRecorder::ValueWritten(const RegistryEntry& entry) {
  record_.AddValue(entry.separator, entry.keyPath);
}

bool InstallationRecorder::Save() {
  unsaved_ = 0;
  return WriteInstallationRecord(context_.platform.files, context_.platform.registry,
                                 record_.installDir, record_);
}

}  // namespace setup
