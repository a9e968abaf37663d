// The record's text form, its reader, and the merge of one installation into an earlier one.
#include "base/installation_record.h"

#include <algorithm>
#include <charconv>

#include "base/registry_path.h"
#include "platform/ascii_case.h"

namespace setup {
namespace {

constexpr std::string_view kHeader = "Setup installation record ";
constexpr std::string_view kVersion = "1";
// More entries than any product installs: a bound for the reader, not a limit for authors.
constexpr std::size_t kMaxEntries = 1000000;

// A line break or a zero byte would end or cut the entry's line.
bool Storable(std::string_view text) {
  return !text.empty() && text.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos;
}

// The value the path names, as the registry tells values apart: by key levels and value name.
std::string CanonicalValue(char separator, const std::string& keyPath) {
  const std::optional<RegistryPath> path = SplitRegistryPath(keyPath, separator);
  if (!path) return std::string(1, separator) + keyPath;
  std::string text = UpperCaseAscii(path->rootName);
  for (const std::string& key : path->keys) text += "\\" + UpperCaseAscii(key);
  return text + '\0' + UpperCaseAscii(path->valueName);
}

bool ParseNumber(std::string_view text, std::uint64_t max, std::uint64_t* value) {
  if (text.empty() || text.size() > 20) return false;
  if (text.size() > 1 && text[0] == '0') return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return error == std::errc() && end == text.data() + text.size() && *value <= max;
}

bool ParseDigest(std::string_view text, Sha256Digest* digest) {
  if (text.size() != 64) return false;
  for (std::size_t i = 0; i < 32; ++i) {
    unsigned byte = 0;
    for (std::size_t j = 0; j < 2; ++j) {
      const char c = text[2 * i + j];
      unsigned nibble = 0;
      if (c >= '0' && c <= '9') {
        nibble = static_cast<unsigned>(c - '0');
      } else if (c >= 'a' && c <= 'f') {
        nibble = static_cast<unsigned>(c - 'a' + 10);
      } else {
        return false;
      }
      byte = byte * 16 + nibble;
    }
    (*digest)[i] = static_cast<std::uint8_t>(byte);
  }
  return true;
}

// Splits off the text up to the next tab; false when there is none.
bool TakeField(std::string_view* rest, std::string_view* field) {
  const std::size_t tab = rest->find('\t');
  if (tab == std::string_view::npos) return false;
  *field = rest->substr(0, tab);
  rest->remove_prefix(tab + 1);
  return true;
}

bool ParseEntry(std::string_view line, InstallationRecord* record, std::string* why) {
  std::string_view kind;
  std::string_view rest = line;
  if (!TakeField(&rest, &kind)) {
    *why = "no tab";
    return false;
  }
  if (!Storable(rest)) {
    *why = "an empty or broken text";
    return false;
  }
  if (kind == "product" || kind == "directory") {
    std::string& field = kind == "product" ? record->product : record->installDir;
    if (!field.empty()) {
      *why = "a second " + std::string(kind) + " line";
      return false;
    }
    field = rest;
    return true;
  }
  if (kind == "file") {
    std::string_view size;
    std::string_view digest;
    RecordedFile file;
    if (!TakeField(&rest, &size) || !ParseNumber(size, UINT64_MAX >> 1, &file.size) ||
        !TakeField(&rest, &digest) || !ParseDigest(digest, &file.digest) || !Storable(rest)) {
      *why = "a file line without size, SHA-256 and path";
      return false;
    }
    file.path = rest;
    record->files.push_back(std::move(file));
    return true;
  }
  if (kind == "shared") {
    std::string_view raised;
    std::uint64_t count = 0;
    if (!TakeField(&rest, &raised) || !ParseNumber(raised, INT32_MAX, &count) || count == 0 ||
        !Storable(rest)) {
      *why = "a shared line without count and path";
      return false;
    }
    record->sharedFiles.push_back({std::string(rest), static_cast<std::uint32_t>(count)});
    return true;
  }
  if (kind == "link") {
    record->links.emplace_back(rest);
    return true;
  }
  if (kind == "value") {
    if (rest.size() < 2) {
      *why = "a value line without separator and path";
      return false;
    }
    record->values.push_back({rest[0], std::string(rest.substr(1))});
    return true;
  }
  *why = "an unknown kind of line";
  return false;
}

}  // namespace

std::string CanonicalWindowsPath(const std::string& path) {
  std::string text;
  for (char c : path) {
    if (c == '/') c = '\\';
    if (c == '\\' && !text.empty() && text.back() == '\\') continue;
    text += UpperAscii(c);
  }
  while (text.size() > 1 && text.back() == '\\' && !(text.size() == 3 && text[1] == ':')) {
    text.pop_back();
  }
  return text;
}

bool SameWindowsPath(const std::string& a, const std::string& b) {
  return CanonicalWindowsPath(a) == CanonicalWindowsPath(b);
}

std::string ProductUninstallKey(const std::string& product) {
  return "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + product;
}

template <typename Entry, typename KeyOf>
Entry* InstallationRecord::Find(std::vector<Entry>& entries, Index& index, const std::string& key,
                                KeyOf keyOf) {
  if (index.covered != entries.size() || index.positions.size() > entries.size()) {
    index.positions.clear();
    for (std::size_t i = 0; i < entries.size(); ++i) index.positions.emplace(keyOf(entries[i]), i);
    index.covered = entries.size();
  }
  const auto found = index.positions.find(key);
  return found == index.positions.end() ? nullptr : &entries[found->second];
}

void InstallationRecord::AddFile(RecordedFile file) {
  if (!Storable(file.path)) return;
  const std::string key = CanonicalWindowsPath(file.path);
  auto keyOf = [](const RecordedFile& f) { return CanonicalWindowsPath(f.path); };
  if (RecordedFile* known = Find(files, fileIndex_, key, keyOf)) {
    known->size = file.size;
    known->digest = file.digest;
    return;
  }
  files.push_back(std::move(file));
  fileIndex_.positions.emplace(key, files.size() - 1);
  fileIndex_.covered = files.size();
}

void InstallationRecord::AddSharedRaise(const std::string& path, std::uint32_t raised) {
  if (!Storable(path) || raised == 0) return;
  const std::string key = CanonicalWindowsPath(path);
  auto keyOf = [](const RecordedSharedFile& f) { return CanonicalWindowsPath(f.path); };
  if (RecordedSharedFile* known = Find(sharedFiles, sharedIndex_, key, keyOf)) {
    // The count itself stops at its largest value; so does what this product raised.
    const std::uint64_t sum = std::uint64_t{known->raised} + raised;
    known->raised = static_cast<std::uint32_t>(std::min<std::uint64_t>(sum, INT32_MAX));
    return;
  }
  sharedFiles.push_back({path, std::min<std::uint32_t>(raised, INT32_MAX)});
  sharedIndex_.positions.emplace(key, sharedFiles.size() - 1);
  sharedIndex_.covered = sharedFiles.size();
}

void InstallationRecord::AddLink(const std::string& path) {
  if (!Storable(path)) return;
  const std::string key = CanonicalWindowsPath(path);
  auto keyOf = [](const std::string& p) { return CanonicalWindowsPath(p); };
  if (Find(links, linkIndex_, key, keyOf) != nullptr) return;
  links.push_back(path);
  linkIndex_.positions.emplace(key, links.size() - 1);
  linkIndex_.covered = links.size();
}

void InstallationRecord::AddValue(char separator, const std::string& keyPath) {
  if (!Storable(keyPath) || separator == '\r' || separator == '\n' || separator == '\0') return;
  const std::string key = CanonicalValue(separator, keyPath);
  auto keyOf = [](const RecordedValue& v) { return CanonicalValue(v.separator, v.keyPath); };
  if (Find(values, valueIndex_, key, keyOf) != nullptr) return;
  values.push_back({separator, keyPath});
  valueIndex_.positions.emplace(key, values.size() - 1);
  valueIndex_.covered = values.size();
}

std::string FormatInstallationRecord(const InstallationRecord& record) {
  std::string text;
  text.append(kHeader).append(kVersion).append("\n");
  text += "product\t" + record.product + "\n";
  text += "directory\t" + record.installDir + "\n";
  for (const RecordedFile& file : record.files) {
    text += "file\t" + std::to_string(file.size) + "\t" + DigestText(file.digest) + "\t" +
            file.path + "\n";
  }
  for (const RecordedSharedFile& shared : record.sharedFiles) {
    text += "shared\t" + std::to_string(shared.raised) + "\t" + shared.path + "\n";
  }
  for (const std::string& link : record.links) text += "link\t" + link + "\n";
  for (const RecordedValue& value : record.values) {
    text += "value\t";
    text += value.separator;
    text += value.keyPath + "\n";
  }
  return text;
}

std::optional<InstallationRecord> ParseInstallationRecord(std::string_view text,
                                                          std::string* error) {
  if (text.size() > kInstallationRecordMaxSize) {
    *error = "the record is too large";
    return std::nullopt;
  }
  if (text.empty() || text.back() != '\n') {
    *error = "the record is cut short";
    return std::nullopt;
  }
  InstallationRecord record;
  std::size_t lineNumber = 0;
  std::size_t entries = 0;
  while (!text.empty()) {
    const std::size_t feed = text.find('\n');
    const std::string_view line = text.substr(0, feed);
    text.remove_prefix(feed + 1);
    ++lineNumber;
    if (lineNumber == 1) {
      if (line.substr(0, kHeader.size()) != kHeader) {
        *error = "not an installation record";
        return std::nullopt;
      }
      if (line.substr(kHeader.size()) != kVersion) {
        *error = "a record of another version";
        return std::nullopt;
      }
      continue;
    }
    std::string why;
    if (++entries > kMaxEntries || !ParseEntry(line, &record, &why)) {
      if (why.empty()) why = "too many entries";
      *error = "line " + std::to_string(lineNumber) + ": " + why;
      return std::nullopt;
    }
  }
  if (record.product.empty() || record.installDir.empty()) {
    *error = "the record names no product or no directory";
    return std::nullopt;
  }
  return record;
}

std::string DigestText(const Sha256Digest& digest) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (std::uint8_t byte : digest) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 15];
  }
  return text;
}

Sha256Digest DigestOf(std::string_view bytes) {
  std::unique_ptr<Sha256> sha = CreateSha256();
  sha->Update(bytes.data(), bytes.size());
  return sha->Finish();
}

}  // namespace setup
