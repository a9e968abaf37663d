// The loaded setup script: its four record tables and the proposed installation directory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace setup {

struct FileEntry {
  std::string source;       // compressed source file, as written
  std::string destination;  // full destination path, macros expanded
};

enum class RegistryType { kAbsent, kDword, kSz };

struct RegistryEntry {
  char separator = '\\';
  std::string keyPath;  // root, subkeys and value name joined by `separator`
  RegistryType type = RegistryType::kAbsent;
  std::uint32_t dwordValue = 0;  // when type is kDword
  std::string stringValue;       // when type is kSz
};

struct LinkEntry {
  std::string linkFile;
  std::string target;
  std::string description;
};

using HiddenName = std::string;

// The four tables and DefaultDirectory. Tables are rebuilt whole by every LoadFileList;
// DefaultDirectory survives a load without an X line.
struct SetupScript {
  std::vector<FileEntry> files;
  std::vector<RegistryEntry> registryEntries;
  std::vector<LinkEntry> links;
  std::vector<HiddenName> hiddenNames;
  // How many records at the end of hiddenNames were counted but never filled, because the load
  // failed before their lines. They match nothing: an empty text would match every line.
  std::size_t unfilledHiddenNames = 0;
  std::string defaultDirectory;
};

// Releases the four tables (not DefaultDirectory).
void FreeSetupScript(SetupScript& script);

// 1 when `text` contains any hidden name, letter case ignored; else 0.
[[nodiscard]] int ContainsHiddenName(const SetupScript& script, const std::string& text);

// The log's filter for `script`: it hides a line holding any hidden name of the tables as they
// are when the line is written.
[[nodiscard]] std::function<bool(const std::string&)> HiddenNamesOf(const SetupScript& script);

}  // namespace setup
