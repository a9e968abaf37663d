// The REGEDIT4 text format of the host registry: reading into and writing from a key tree.
#include "platform/host/registry/reg_file.h"

#include <cstdio>
#include <vector>

namespace setup {

namespace {

constexpr std::string_view kHeader = "REGEDIT4";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimLeft(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// 1 to `maxDigits` hex digits, the whole text.
bool ParseHexNumber(std::string_view text, std::size_t maxDigits, std::uint32_t* value) {
  if (text.empty() || text.size() > maxDigits) return false;
  std::uint32_t result = 0;
  for (const char c : text) {
    const int digit = HexDigit(c);
    if (digit < 0) return false;
    result = (result << 4) | static_cast<std::uint32_t>(digit);
  }
  *value = result;
  return true;
}

// The physical lines of the text, line ends (LF or CR LF) removed.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

// A quoted text at the start of `text` with \\ and \" escapes; `text` is left after the closing
// quote. False when it is not closed or holds another escape.
bool ParseQuoted(std::string_view* text, std::string* result, std::string* error) {
  std::string_view rest = *text;
  if (rest.empty() || rest.front() != '"') {
    *error = "expected a quoted text";
    return false;
  }
  rest.remove_prefix(1);
  result->clear();
  while (!rest.empty()) {
    const char c = rest.front();
    rest.remove_prefix(1);
    if (c == '"') {
      *text = rest;
      return true;
    }
    if (c == '\\') {
      if (rest.empty() || (rest.front() != '\\' && rest.front() != '"')) {
        *error = "a backslash in a quoted text must be followed by \\ or \"";
        return false;
      }
      result->push_back(rest.front());
      rest.remove_prefix(1);
      continue;
    }
    result->push_back(c);
  }
  *error = "the quoted text is not closed";
  return false;
}

bool ParseHexBytes(std::string_view list, std::vector<std::uint8_t>* bytes, std::string* error) {
  bytes->clear();
  list = TrimRight(TrimLeft(list));
  if (list.empty()) return true;
  while (true) {
    const std::size_t comma = list.find(',');
    const std::string_view token = TrimRight(TrimLeft(list.substr(0, comma)));
    std::uint32_t value = 0;
    if (!ParseHexNumber(token, 2, &value)) {
      *error = "\"" + std::string(token) + "\" is not a hex byte";
      return false;
    }
    bytes->push_back(static_cast<std::uint8_t>(value));
    if (comma == std::string_view::npos) return true;
    list.remove_prefix(comma + 1);
    // regedit ends a continued line with a comma; a comma at the very end is tolerated too.
    if (TrimLeft(list).empty()) return true;
  }
}

class Parser {
 public:
  Parser(std::string_view text, RegistryTree* tree) : lines_(SplitLines(text)), tree_(tree) {}

  RegParseError Run() {
    if (lines_.empty() || TrimRight(lines_[0]) != kHeader) {
      return Fail(1, "the first line must be REGEDIT4");
    }
    for (index_ = 1; index_ < lines_.size(); ++index_) {
      const int lineNumber = static_cast<int>(index_) + 1;
      const std::string_view line = TrimLeft(lines_[index_]);
      std::string error;
      bool ok = true;
      if (line.empty() || line.front() == ';') continue;
      if (line.front() == '[') {
        ok = ParseSection(TrimRight(line), &error);
      } else if (line.front() == '"' || line.front() == '@') {
        ok = ParseValue(line, &error);
      } else {
        ok = false;
        error = "expected a [key] or a \"name\"=value line";
      }
      if (!ok) return Fail(lineNumber, error);
    }
    return RegParseError{};
  }

 private:
  static RegParseError Fail(int line, std::string message) {
    return RegParseError{line, std::move(message)};
  }

  bool ParseSection(std::string_view line, std::string* error) {
    if (line.back() != ']') {
      *error = "the key name is not closed by ]";
      return false;
    }
    std::string_view path = line.substr(1, line.size() - 2);
    const bool remove = !path.empty() && path.front() == '-';
    if (remove) path.remove_prefix(1);
    std::vector<std::string> components;
    while (true) {
      const std::size_t slash = path.find('\\');
      const std::string_view part = path.substr(0, slash);
      if (part.empty()) {
        *error = "the key path holds an empty name";
        return false;
      }
      components.emplace_back(part);
      if (slash == std::string_view::npos) break;
      path.remove_prefix(slash + 1);
    }
    const int root = RegistryTree::RootIndex(components.front());
    if (root < 0) {
      *error = "unknown root key " + components.front();
      return false;
    }
    components.erase(components.begin());
    if (remove) {
      current_ = nullptr;
      removedSection_ = true;
      if (components.empty()) {
        *error = "a root key cannot be removed";
        return false;
      }
      const std::string last = components.back();
      components.pop_back();
      if (RegistryKeyNode* parent = tree_->Find(root, components)) parent->RemoveSubkey(last);
      return true;
    }
    removedSection_ = false;
    currentRoot_ = root;
    currentPath_ = components;
    current_ = &tree_->Create(root, components, nullptr);
    return true;
  }

  bool ParseValue(std::string_view line, std::string* error) {
    if (current_ == nullptr && !removedSection_) {
      *error = "a value before any [key]";
      return false;
    }
    std::string name;
    std::string_view rest = line;
    if (rest.front() == '@') {
      rest.remove_prefix(1);
    } else if (!ParseQuoted(&rest, &name, error)) {
      return false;
    }
    rest = TrimLeft(rest);
    if (rest.empty() || rest.front() != '=') {
      *error = "expected = after the value name";
      return false;
    }
    rest = TrimRight(TrimLeft(rest.substr(1)));

    std::uint32_t type = REG_SZ;
    std::vector<std::uint8_t> data;
    bool removeValue = false;
    if (rest == "-") {
      removeValue = true;
    } else if (!rest.empty() && rest.front() == '"') {
      std::string text;
      if (!ParseQuoted(&rest, &text, error)) return false;
      if (!TrimLeft(rest).empty()) {
        *error = "unexpected text after the closing quote";
        return false;
      }
      data.assign(text.begin(), text.end());
      data.push_back(0);
    } else if (rest.substr(0, 6) == "dword:") {
      std::uint32_t value = 0;
      if (!ParseHexNumber(rest.substr(6), 8, &value)) {
        *error = "dword: needs 1 to 8 hex digits";
        return false;
      }
      type = REG_DWORD;
      for (int i = 0; i < 4; ++i) data.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    } else if (rest.substr(0, 3) == "hex") {
      if (!ParseHex(rest, &type, &data, error)) return false;
    } else {
      *error = "unknown value data; expected \"text\", dword:, hex: or hex(n):";
      return false;
    }

    if (removedSection_) return true;  // values of a removed key are ignored, as regedit does
    // The section's key may have moved in memory when a later section added a sibling.
    current_ = &tree_->Create(currentRoot_, currentPath_, nullptr);
    if (removeValue) {
      current_->RemoveValue(name);
    } else {
      current_->SetValue(name, type, std::move(data));
    }
    return true;
  }

  bool ParseHex(std::string_view rest, std::uint32_t* type, std::vector<std::uint8_t>* data,
                std::string* error) {
    rest.remove_prefix(3);
    *type = REG_BINARY;
    if (!rest.empty() && rest.front() == '(') {
      const std::size_t close = rest.find(')');
      if (close == std::string_view::npos || !ParseHexNumber(rest.substr(1, close - 1), 8, type)) {
        *error = "hex(n): needs a hex type number";
        return false;
      }
      rest.remove_prefix(close + 1);
    }
    if (rest.empty() || rest.front() != ':') {
      *error = "expected : after hex";
      return false;
    }
    rest.remove_prefix(1);
    std::string list(rest);
    // A trailing backslash continues the byte list on the next line.
    while (!list.empty() && list.back() == '\\') {
      list.pop_back();
      if (index_ + 1 >= lines_.size()) {
        *error = "the hex data continues past the end of the file";
        return false;
      }
      ++index_;
      list += TrimRight(TrimLeft(lines_[index_]));
    }
    return ParseHexBytes(list, data, error);
  }

  std::vector<std::string_view> lines_;
  RegistryTree* tree_;
  std::size_t index_ = 0;
  RegistryKeyNode* current_ = nullptr;
  int currentRoot_ = 0;
  std::vector<std::string> currentPath_;
  bool removedSection_ = false;
};

std::string Escape(std::string_view text) {
  std::string escaped;
  for (const char c : text) {
    if (c == '\\' || c == '"') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

bool IsPlainString(const RegistryValue& value) {
  if (value.type != REG_SZ || value.data.empty() || value.data.back() != 0) return false;
  for (std::size_t i = 0; i + 1 < value.data.size(); ++i) {
    const std::uint8_t byte = value.data[i];
    if (byte < 0x20 && byte != '\t') return false;
  }
  return true;
}

void AppendHex(std::string* out, std::string line, const std::vector<std::uint8_t>& data) {
  constexpr std::size_t kWidth = 77;
  for (std::size_t i = 0; i < data.size(); ++i) {
    char token[4];
    std::snprintf(token, sizeof token, "%02x", data[i]);
    std::string piece = token;
    if (i + 1 < data.size()) piece += ',';
    if (line.size() + piece.size() + 1 > kWidth && line.size() > 2) {
      *out += line + "\\\r\n";
      line = "  ";
    }
    line += piece;
  }
  *out += line + "\r\n";
}

void AppendValue(std::string* out, const RegistryValue& value) {
  std::string line = value.name.empty() ? "@=" : "\"" + Escape(value.name) + "\"=";
  if (IsPlainString(value)) {
    const std::string_view text(reinterpret_cast<const char*>(value.data.data()),
                                value.data.size() - 1);
    *out += line + "\"" + Escape(text) + "\"\r\n";
    return;
  }
  if (value.type == REG_DWORD && value.data.size() == 4) {
    const std::uint32_t number = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                                 (static_cast<std::uint32_t>(value.data[3]) << 24);
    char text[16];
    std::snprintf(text, sizeof text, "%08x", number);
    *out += line + "dword:" + text + "\r\n";
    return;
  }
  if (value.type == REG_BINARY) {
    line += "hex:";
  } else {
    char prefix[24];
    std::snprintf(prefix, sizeof prefix, "hex(%x):", value.type);
    line += prefix;
  }
  AppendHex(out, std::move(line), value.data);
}

void AppendKey(std::string* out, const RegistryKeyNode& key, const std::string& path, bool isRoot) {
  if (!isRoot || !key.values.empty()) {
    *out += "[" + path + "]\r\n";
    for (const RegistryValue& value : key.values) AppendValue(out, value);
    *out += "\r\n";
  }
  for (const RegistryKeyNode& subkey : key.subkeys) {
    AppendKey(out, subkey, path + "\\" + subkey.name, false);
  }
}

}  // namespace

RegParseError ParseRegFile(std::string_view text, RegistryTree* tree) {
  return Parser(text, tree).Run();
}

std::string SerializeRegFile(const RegistryTree& tree) {
  std::string out = std::string(kHeader) + "\r\n\r\n";
  for (int i = 0; i < RegistryTree::kRootCount; ++i) {
    AppendKey(&out, tree.root(i), RegistryTree::RootName(i), true);
  }
  return out;
}

bool IsStorableRegName(std::string_view name) {
  return name.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos;
}

}  // namespace setup
