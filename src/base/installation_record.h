// The installation record: what the installer placed, counted and wrote for one product, in a
// small versioned text the uninstaller reads back (see docs/installation_record.md).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/sha256.h"

namespace setup {

// The record's file name in the installation directory.
inline constexpr const char* kInstallationRecordName = "uninstall.rec";
// The value in the product's uninstall key that holds the record's SHA-256 (hexadecimal).
inline constexpr const char* kInstallationRecordDigestValue = "InstallationRecordSHA256";
// A record larger than this is not read: no installation writes one.
inline constexpr std::size_t kInstallationRecordMaxSize = 64u << 20;

struct RecordedFile {
  std::string path;  // the full path as it was written
  std::uint64_t size = 0;
  Sha256Digest digest{};
};

struct RecordedSharedFile {
  std::string path;          // the SharedDLLs value name
  std::uint32_t raised = 0;  // how much this product raised the count, over its installations
};

struct RecordedValue {
  char separator = '\\';
  std::string keyPath;  // root, subkeys and value name joined by `separator`
};

struct InstallationRecord {
  std::string product;     // the key name below ...\CurrentVersion\Uninstall
  std::string installDir;  // the installation directory as the installer had it
  std::vector<RecordedFile> files;
  std::vector<RecordedSharedFile> sharedFiles;
  std::vector<std::string> links;
  std::vector<RecordedValue> values;

  // Each replaces an entry for the same path (letter case and repeated backslashes aside) and
  // keeps the order of first appearance; a shared file's raises add up. An installation adds
  // its entries to the record of the earlier ones, so that one removal undoes them all.
  void AddFile(RecordedFile file);
  void AddSharedRaise(const std::string& path, std::uint32_t raised);
  void AddLink(const std::string& path);
  void AddValue(char separator, const std::string& keyPath);

 private:
  // Where each canonical path lies in its list, so that adding stays linear in the entries;
  // rebuilt whenever a list changed behind it.
  struct Index {
    std::unordered_map<std::string, std::size_t> positions;
    std::size_t covered = 0;
  };
  Index fileIndex_;
  Index sharedIndex_;
  Index linkIndex_;
  Index valueIndex_;
  template <typename Entry, typename KeyOf>
  Entry* Find(std::vector<Entry>& entries, Index& index, const std::string& key, KeyOf keyOf);
};

[[nodiscard]] std::string FormatInstallationRecord(const InstallationRecord& record);
// Nothing, with the reason in *error, for a text that is not a whole record of a known version.
[[nodiscard]] std::optional<InstallationRecord> ParseInstallationRecord(std::string_view text,
                                                                        std::string* error);

// Lower-case hexadecimal, 64 digits.
[[nodiscard]] std::string DigestText(const Sha256Digest& digest);
[[nodiscard]] Sha256Digest DigestOf(std::string_view bytes);

// Two Windows paths name the same entry: letter case, '/' for '\' and repeated or trailing
// backslashes do not matter.
[[nodiscard]] bool SameWindowsPath(const std::string& a, const std::string& b);
// The path in that comparison's form: upper case, single backslashes, no trailing one.
[[nodiscard]] std::string CanonicalWindowsPath(const std::string& path);

// The product's uninstall key, as a registry path joined by '\'.
[[nodiscard]] std::string ProductUninstallKey(const std::string& product);

}  // namespace setup
