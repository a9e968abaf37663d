// What an installation did, written down as it happens when the distribution carries the
// uninstaller: placed files, raised shared-library counts, shortcuts and registry values, added
// to the record of the product's earlier installations.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "base/installation_record.h"
#include "decompress/decompress_file.h"
#include "install/install_context.h"

namespace setup {

class InstallationRecorder {
 public:
  // A recorder when the loaded script installs the uninstaller's script copy and names the
  // product's uninstall key; nothing otherwise, and then nothing new is written.
  [[nodiscard]] static std::unique_ptr<InstallationRecorder> ForScript(
      const InstallContext& context);
  InstallationRecorder(const InstallContext& context, InstallationRecord record);

  // Each adds to the record. A raised count is saved at once, since a count a kill leaves
  // unrecorded would never be given back; files in batches of at least kFilesPerSave; shortcuts and
  // values by the closing sequence's Save().
  // `written`: what the expansion wrote, when it wrote `path`; the file is read back otherwise.
  void FilePlaced(const std::string& path,
                  const std::optional<WrittenFile>& written = std::nullopt);
  void SharedCountRaised(const std::string& countName);
  void LinkCreated(const std::string& linkFile);
  void ValueWritten(const RegistryEntry& entry);
  // Saves the record; false when it could not be saved whole.
  bool Save();

  const InstallationRecord& record() const { return record_; }

 private:
  std::string FullPath(const std::string& path) const;

  static constexpr std::size_t kFilesPerSave = 32;

  const InstallContext& context_;
  InstallationRecord record_;
  std::size_t unsaved_ = 0;
};

}  // namespace setup
