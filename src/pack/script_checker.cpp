// The checks an author's plain setup script goes through before it is packed.
#include "pack/script_checker.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>

#include "base/registry_path.h"
#include "pack/hidden_name_rules.h"
#include "pack/script_macros.h"
#include "platform/ascii_case.h"
#include "script/macros.h"
#include "script/script_loader.h"

namespace setup::pack {

namespace {

// The installer's line buffer holds the line's CR LF too.
constexpr std::size_t kMaxLineText = kScriptLineBufferSize - 2;
constexpr int kFieldColumn = 3;
constexpr std::size_t kSystemMacro = 1;
constexpr std::size_t kAppDirMacro = 2;

struct RootAbbreviation {
  const char* shortName;
  RegKey root;
};
constexpr RootAbbreviation kRootAbbreviations[] = {{"HKLM", kHkeyLocalMachine},
                                                   {"HKCU", kHkeyCurrentUser},
                                                   {"HKCR", kHkeyClassesRoot},
                                                   {"HKU", kHkeyUsers}};

bool EndsWithIgnoringCase(std::string_view text, std::string_view end) {
  return text.size() >= end.size() &&
         EqualsIgnoringAsciiCase(text.substr(text.size() - end.size()), end);
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view start) {
  return text.size() >= start.size() &&
         EqualsIgnoringAsciiCase(text.substr(0, start.size()), start);
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool OnlyBlanks(std::string_view text) {
  for (const char c : text) {
    if (!IsBlank(c)) return false;
  }
  return true;
}

// A character as messages show it: printable ones as they are, others by their number.
std::string Shown(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte == ' ') return "' ' (a blank)";
  if (byte >= 0x21 && byte != 0x7F) return std::string("'") + c + "'";
  char number[8];
  std::snprintf(number, sizeof number, "0x%02X", byte);
  return std::string("byte ") + number;
}

std::string Quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

// A full Windows path: on a drive (C:\...) or a network share (\\server\...).
bool IsFullPath(std::string_view path) {
  if (path.size() >= 3 && ((UpperAscii(path[0]) >= 'A' && UpperAscii(path[0]) <= 'Z') &&
                           path[1] == ':' && path[2] == '\\')) {
    return true;
  }
  return path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
}

// One line of the script as the installer reads it.
struct ScriptLine {
  int number = 0;
  std::string text;  // without the byte before the line feed, cut at a zero byte
  bool hadZeroByte = false;
};

std::vector<ScriptLine> SplitLines(const std::string& bytes) {
  std::vector<ScriptLine> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t feed = bytes.find('\n', start);
    if (feed == std::string::npos) break;  // ignored by the installer
    const std::size_t index = feed - start;
    ScriptLine line;
    line.number = static_cast<int>(lines.size()) + 1;
    line.text = bytes.substr(start, index >= 2 ? index - 1 : index);
    if (const std::size_t zero = line.text.find('\0'); zero != std::string::npos) {
      line.text.erase(zero);
      line.hadZeroByte = true;
    }
    lines.push_back(std::move(line));
    start = feed + 1;
  }
  return lines;
}

class Checker {
 public:
  Checker(const ScriptCheckOptions& options, Diagnostics& out) : options_(options), out_(out) {}

  void Run(const std::vector<ScriptLine>& lines, ScriptCheck* result);

 private:
  // Whether the line can be looked into further.
  bool CheckShape(const ScriptLine& line, bool last);
  void CheckFileLine(const ScriptLine& line, const ExpandedFields& fields);
  void CheckRegistryLine(const ScriptLine& line, const ExpandedFields& fields);
  void CheckLinkLine(const ScriptLine& line, const ExpandedFields& fields);
  void CheckHiddenLine(const ScriptLine& line, const ExpandedFields& fields);
  // Tells, once per payload beside Setup.exe named like a library, what build stores it as.
  void CheckPayloadNames();
  void CheckLinkTarget(const ScriptLine& line, const ExpandedFields& fields, std::size_t first,
                       std::size_t last);
  // Reports the separator positions among `used` that came from a macro's value; answers
  // whether there were any.
  bool SplitMovedByValue(const ScriptLine& line, const ExpandedFields& fields,
                         const std::vector<std::size_t>& used);
  void CheckRootKey(int line, int column, std::string_view root, char separator);
  void CheckDwordValue(int line, int column, std::string_view value);

  const std::optional<std::string>& Value(std::size_t macro) const { return macros_.values[macro]; }

  const ScriptCheckOptions& options_;
  Diagnostics& out_;
  MacroValues macros_;
  ScriptCheck* result_ = nullptr;
  std::set<std::string> seenSources_;
  std::map<std::string, int> destinations_;  // upper-cased destination, its first line
};

void Checker::Run(const std::vector<ScriptLine>& lines, ScriptCheck* result) {
  result_ = result;
  // ?APPDIR? stands for the proposed directory: that of the last X line, expanded as at
  // start-up, before any directory is chosen.
  std::string appDir = kAppDirPlaceholder;
  std::vector<const ScriptLine*> xLines;
  for (const ScriptLine& line : lines) {
    if (line.text.size() >= 3 && UpperAscii(line.text[0]) == 'X') xLines.push_back(&line);
  }
  if (!xLines.empty() && options_.machine != nullptr) {
    appDir = xLines.back()->text.substr(2);
    ExpandMacros(*options_.machine, nullptr, appDir, nullptr);
  }
  if (options_.machine != nullptr) macros_ = ReadMacroValues(*options_.machine, appDir);

  if (xLines.empty()) {
    out_.Warning(1, 1, "the script has no X line: the directory page proposes no directory",
                 "add a line such as X|?PRGFDIR?\\PRODUCT");
  }
  for (std::size_t i = 1; i < xLines.size(); ++i) {
    out_.Warning(xLines[i]->number, 1,
                 "another X line (the first is line " + std::to_string(xLines[0]->number) +
                     "): the last X line alone decides the proposed directory",
                 "keep one X line");
  }

  for (const ScriptLine& line : lines) {
    if (!CheckShape(line, &line == &lines.back())) continue;
    const char kind = UpperAscii(line.text[0]);
    if (kind == ';') continue;
    const std::string_view raw = std::string_view(line.text).substr(2);
    if (line.text[1] != '?') CheckMacroWords(raw, line.number, kFieldColumn, out_);
    if (kind == 'X') {
      if (const std::size_t at = raw.find("?APPDIR?"); at != std::string_view::npos) {
        out_.Warning(line.number, kFieldColumn + static_cast<int>(at),
                     "?APPDIR? in the X line becomes the word APPDIR: the installation "
                     "directory is not chosen yet when this line is read",
                     "propose a directory under ?PRGFDIR?, such as X|?PRGFDIR?\\PRODUCT");
      }
      continue;
    }
    const ExpandedFields fields = ExpandTracked(raw, kFieldColumn, macros_);
    switch (kind) {
      case 'F':
        CheckFileLine(line, fields);
        break;
      case 'K':
        CheckRegistryLine(line, fields);
        break;
      case 'L':
        CheckLinkLine(line, fields);
        break;
      case 'H':
        CheckHiddenLine(line, fields);
        break;
      default:
        break;
    }
  }
  CheckPayloadNames();
}

bool Checker::CheckShape(const ScriptLine& line, bool last) {
  const std::string& text = line.text;
  const int n = line.number;
  if (text.size() > kMaxLineText) {
    out_.Error(n, static_cast<int>(kMaxLineText) + 1,
               "the line is " + std::to_string(text.size()) +
                   " characters long; the installer reads at most " + std::to_string(kMaxLineText) +
                   " and then stops reading the script",
               "shorten it, for example with a shorter product folder name");
    return false;
  }
  if (line.hadZeroByte) {
    out_.Error(n, static_cast<int>(text.size()) + 1,
               "a zero byte: the installer ends the line here and ignores the rest");
  }
  // The text of an empty CR LF line is its CR alone.
  if (text.empty() || text == "\r") {
    if (last) {
      out_.Error(n, 1, "an empty line at the end of the file: the installer stops reading here",
                 "remove the extra line end after line " + std::to_string(n - 1));
    } else {
      out_.Error(n, 1, "an empty line: the installer stops reading the script here",
                 "remove it, or write ';' to keep a gap");
    }
    return false;
  }
  if (OnlyBlanks(text)) {
    out_.Error(n, 1, "a line of blanks: the installer stops reading the script here",
               "remove it, or write ';' to keep a gap");
    return false;
  }
  const char kind = UpperAscii(text[0]);
  if (kind != 'F' && kind != 'K' && kind != 'L' && kind != 'H' && kind != 'X' && kind != ';') {
    std::string hint = "a line begins with its kind: F, K, L, H, X or ; (a comment)";
    std::size_t first = 0;
    while (first < text.size() && IsBlank(text[first])) ++first;
    if (first > 0 && first < text.size()) hint = "remove the blanks before " + Shown(text[first]);
    out_.Error(n, 1,
               Shown(text[0]) + " is no line kind: the installer stops reading the script here",
               hint);
    return false;
  }
  if (kind != ';' && text.size() < 3) {
    if (kind == 'H') {
      out_.Error(n, 1, "an empty H line: it names no hidden name",
                 "write the name to hide after the separator, or remove the line");
    } else {
      out_.Error(n, 1,
                 "the line is too short: a record needs its kind, a separator and its fields");
    }
    return false;
  }
  return true;
}

bool Checker::SplitMovedByValue(const ScriptLine& line, const ExpandedFields& fields,
                                const std::vector<std::size_t>& used) {
  const char separator = line.text[1];
  std::set<int> reported;
  for (const std::size_t at : used) {
    const int macro = fields.macro[at];
    if (macro < 0 || !reported.insert(fields.column[at]).second) continue;
    const auto index = static_cast<std::size_t>(macro);
    std::string where = "on this machine";
    if (index == kAppDirMacro) where = "as the proposed installation directory";
    out_.Error(line.number, fields.column[at],
               std::string(kMacroWordList[index]) + " expands to " + Quoted(*Value(index)) + " " +
                   where + ", which holds the separator " + Shown(separator) +
                   ": the installer would split the line inside it",
               std::string("choose a separator that no value holds, such as '") +
                   SuggestSeparator({fields.text, line.text}) + "'");
  }
  return !reported.empty();
}

void Checker::CheckFileLine(const ScriptLine& line, const ExpandedFields& fields) {
  const int n = line.number;
  const char separator = line.text[1];
  const std::string& text = fields.text;
  const std::size_t split = text.find(separator);
  if (split == std::string::npos) {
    out_.Error(
        n, kFieldColumn,
        "the F line has no separator " + Shown(separator) + " between its source and destination",
        std::string("write F") + separator + "SOURCE" + separator + "?APPDIR?\\NAME");
    return;
  }
  if (SplitMovedByValue(line, fields, {split})) return;
  const std::string source = text.substr(0, split);
  const std::string destination = text.substr(split + 1);
  const int destinationColumn =
      split + 1 < text.size() ? fields.column[split + 1] : static_cast<int>(line.text.size()) + 1;
  if (source.empty()) {
    out_.Error(n, kFieldColumn, "the F line names no source file");
  } else if (std::optional<std::string> relative = RelativeSource(source); !relative) {
    out_.Error(n, kFieldColumn,
               "the source " + Quoted(source) +
                   " must be a relative name inside the distribution folder: the installer "
                   "opens sources in its own folder");
  } else {
    if (options_.sourceExists && !options_.sourceExists(*relative)) {
      out_.Error(n, kFieldColumn,
                 "the source " + Quoted(source) + " is missing (looked for " +
                     options_.sourceFolder + "/" + *relative + ")");
    }
    if (seenSources_.insert(*relative).second) result_->sources.push_back(*relative);
    bool verbatim = true;
    for (std::size_t i = 0; i < split; ++i) verbatim = verbatim && fields.macro[i] < 0;
    result_->payloadLines.push_back(PayloadLine{n, *relative, verbatim});
  }
  if (destination.empty()) {
    out_.Error(n, destinationColumn, "the F line names no destination");
    return;
  }
  const std::string upper = UpperCaseAscii(destination);
  if (auto [it, inserted] = destinations_.emplace(upper, n); !inserted) {
    out_.Warning(n, destinationColumn,
                 "line " + std::to_string(it->second) + " already installs " + Quoted(destination) +
                     "; this file replaces it");
  }
  if (!IsFullPath(destination) && fields.macro[split + 1] < 0) {
    out_.Warning(n, destinationColumn,
                 "the destination " + Quoted(destination) +
                     " is not a full path: it is taken relative to the folder the installer "
                     "runs in",
                 "begin it with a macro, such as ?APPDIR?\\");
  }
  if (EndsWithIgnoringCase(destination, ".dll")) {
    // Where the destination begins with a macro's value, that macro says where it goes.
    const int first = fields.macro[split + 1];
    bool inside =
        first == static_cast<int>(kSystemMacro) || first == static_cast<int>(kAppDirMacro);
    for (const std::size_t macro : {kSystemMacro, kAppDirMacro}) {
      if (Value(macro) && StartsWithIgnoringCase(destination, *Value(macro) + "\\")) inside = true;
    }
    if (!inside) {
      out_.Warning(n, destinationColumn,
                   "the shared library " + Quoted(destination) +
                       " goes outside the system and installation directories",
                   "shared libraries belong in ?SYSTEM? or below ?APPDIR?");
    }
  }
}

void Checker::CheckRootKey(int line, int column, std::string_view root, char separator) {
  if (FindRootKey(root) != 0) return;
  for (const RootAbbreviation& abbreviation : kRootAbbreviations) {
    if (EqualsIgnoringAsciiCase(root, abbreviation.shortName)) {
      out_.Error(line, column,
                 Quoted(root) +
                     " is not a root key name the installer knows: the value is not "
                     "written",
                 std::string("write ") + RootKeyNameOf(abbreviation.root));
      return;
    }
  }
  std::string hint =
      "the root keys are HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_CLASSES_ROOT and "
      "HKEY_USERS";
  if (separator != '\\' && root.find('\\') != std::string_view::npos) {
    hint = std::string("the parts of the key are joined by the line's separator ") +
           Shown(separator) + ", not by backslashes";
  }
  out_.Error(line, column,
             Quoted(root) + " is not a root key name the installer knows: the value is not written",
             hint);
}

void Checker::CheckDwordValue(int line, int column, std::string_view value) {
  std::size_t i = 0;
  while (i < value.size() && IsBlank(value[i])) ++i;
  const bool negative = i < value.size() && value[i] == '-';
  if (i < value.size() && (value[i] == '-' || value[i] == '+')) ++i;
  const std::size_t digits = i;
  std::uint64_t number = 0;
  bool overflow = false;
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
    number = number * 10 + static_cast<unsigned>(value[i] - '0');
    if (number > 0xFFFFFFFFull) overflow = true, number = 0xFFFFFFFFull + 1;
  }
  const bool whole = i > digits && i == value.size();
  std::string hint = "a DWORD value is a decimal number such as 1, 4096 or -1";
  if (value.size() > 2 && value[0] == '0' && UpperAscii(value[1]) == 'X') {
    hint = "write it in decimal";
    const unsigned long parsed = std::strtoul(std::string(value).c_str(), nullptr, 16);
    if (parsed <= 0xFFFFFFFFul) hint += ": " + std::to_string(parsed);
  }
  if (i == digits) {
    out_.Error(line, column,
               Quoted(value) + " is not a number: the installer writes nothing for this line",
               hint);
    return;
  }
  if (!whole) {
    out_.Error(line, column,
               Quoted(value) + " is not a whole number: the installer stores " +
                   std::string(value.substr(0, i)) + " and ignores the rest",
               hint);
    return;
  }
  if (overflow || (negative && number > 0x80000000ull)) {
    out_.Error(line, column,
               Quoted(value) + " does not fit a DWORD (0 to 4294967295, or -2147483648 to -1)");
  }
}

void Checker::CheckRegistryLine(const ScriptLine& line, const ExpandedFields& fields) {
  const int n = line.number;
  const char separator = line.text[1];
  const std::string& text = fields.text;
  std::vector<std::size_t> splits;
  for (std::size_t at = text.find(separator); at != std::string::npos;
       at = text.find(separator, at + 1)) {
    splits.push_back(at);
  }
  const std::string example = std::string("K") + separator + "SZ" + separator +
                              "HKEY_CURRENT_USER" + separator + "Software" + separator + "PRODUCT" +
                              separator + "NAME" + separator + "VALUE";
  if (splits.empty()) {
    out_.Error(n, kFieldColumn,
               "the K line has no separator " + Shown(separator) + " after its type",
               "write " + example);
    return;
  }
  // Every separator of a K line splits: the type, each part of the key, the value.
  if (SplitMovedByValue(line, fields, splits)) return;

  const std::string type = text.substr(0, splits[0]);
  if (type != "SZ" && type != "DWORD") {
    std::string hint = "the types are SZ (a text) and DWORD (a number), in upper case";
    const std::string upper = UpperCaseAscii(type);
    if (upper == "SZ" || upper == "DWORD") hint = "types are upper case: write " + upper;
    if (upper == "REG_SZ" || upper == "STRING") hint = "write SZ";
    if (upper == "REG_DWORD" || upper == "NUMBER") hint = "write DWORD";
    out_.Error(n, kFieldColumn,
               "the type " + Quoted(type) +
                   " is neither SZ nor DWORD: the installer writes nothing for this line",
               hint);
  }
  if (splits.size() == 1) {
    out_.Error(n, fields.column[splits[0]], "the K line has a type but no key path and value",
               "write " + example);
    return;
  }
  const std::size_t last = splits.back();
  const std::string value = text.substr(last + 1);
  const int valueColumn =
      last + 1 < text.size() ? fields.column[last + 1] : static_cast<int>(line.text.size()) + 1;

  // The key path's parts: root, subkeys, value name.
  struct Part {
    std::string text;
    int column;
  };
  std::vector<Part> parts;
  for (std::size_t i = 0; i + 1 < splits.size(); ++i) {
    const std::size_t begin = splits[i] + 1;
    const std::size_t end = splits[i + 1];
    parts.push_back(Part{text.substr(begin, end - begin),
                         begin < end ? fields.column[begin] : fields.column[end]});
  }
  CheckRootKey(n, parts[0].column, parts[0].text, separator);
  if (parts.size() == 1) {
    out_.Error(n, valueColumn,
               "the key path " + Quoted(parts[0].text) +
                   " has no value name: the installer writes nothing for this line",
               "write " + example);
  } else if (parts.size() == 2) {
    out_.Error(n, parts[1].column,
               "the key path has no subkey: the value " + Quoted(parts[1].text) +
                   " would go straight into the root key",
               "write " + example);
  }
  for (std::size_t i = 1; i + 1 < parts.size(); ++i) {
    if (parts[i].text.empty()) {
      out_.Error(n, parts[i].column, "an empty key name between two separators");
    }
  }
  if (type == "DWORD") CheckDwordValue(n, valueColumn, value);

  // A blank beside a separator most often means that a value held the separator.
  if (!IsBlank(separator)) {
    parts.push_back(Part{value, valueColumn});
    for (const Part& part : parts) {
      if (part.text.empty() || (!IsBlank(part.text.front()) && !IsBlank(part.text.back()))) {
        continue;
      }
      out_.Warning(n, part.column,
                   Quoted(part.text) +
                       " begins or ends with a blank: does the value hold the "
                       "separator " +
                       Shown(separator) + "? The installer takes only what follows the last one",
                   std::string("choose a separator that no value holds, such as '") +
                       SuggestSeparator({text}) + "'");
      break;
    }
  }
}

void Checker::CheckLinkLine(const ScriptLine& line, const ExpandedFields& fields) {
  const int n = line.number;
  const char separator = line.text[1];
  const std::string& text = fields.text;
  const std::string example = std::string("write L") + separator +
                              "?STARTMENU?\\PRODUCT\\NAME.lnk" + separator +
                              "?APPDIR?\\PROGRAM.exe" + separator + "DESCRIPTION";
  const std::size_t first = text.find(separator);
  if (first == std::string::npos) {
    out_.Error(n, kFieldColumn,
               "the L line has no separator " + Shown(separator) + " after its link path", example);
    return;
  }
  const std::size_t last = text.rfind(separator);
  if (SplitMovedByValue(line, fields, {first, last})) return;
  const std::string linkFile = text.substr(0, first);
  if (first == last) {
    out_.Error(n, fields.column[first],
               "the L line has a link path and one more field: the installer takes " +
                   Quoted(text.substr(first + 1)) +
                   " as the description and leaves the target empty",
               example);
  } else if (last == first + 1) {
    out_.Error(n, fields.column[first] + 1, "the L line names no target", example);
  } else {
    CheckLinkTarget(line, fields, first, last);
  }
  if (linkFile.empty()) {
    out_.Error(n, kFieldColumn, "the L line names no link file", example);
    return;
  }
  if (linkFile.find('\\') == std::string::npos) {
    out_.Error(n, kFieldColumn,
               "the link path " + Quoted(linkFile) +
                   " has no folder: the installer cannot create its group and makes no shortcut",
               "put it in a program group: ?STARTMENU?\\PRODUCT\\" + linkFile);
  }
  if (!EndsWithIgnoringCase(linkFile, ".lnk")) {
    out_.Warning(n, kFieldColumn,
                 "the link path " + Quoted(linkFile) +
                     " does not end in .lnk: the shortcut file gets exactly this name, and "
                     "Windows shows a shortcut only with .lnk",
                 "add .lnk");
  }
}

// A payload lies under its own name beside Setup.exe, where Windows looks for the libraries a
// program loads: one named like a library may be loaded by the installer in its place.
void Checker::CheckPayloadNames() {
  result_->storedNames = StoredPayloadNames(result_->sources, result_->payloadLines);
  std::set<std::string> told;
  for (const PayloadLine& line : result_->payloadLines) {
    const std::string& relative = line.relative;
    if (relative.find('/') != std::string::npos || !NamedLikeLibrary(relative) ||
        !told.insert(relative).second) {
      continue;
    }
    if (const auto it = result_->storedNames.find(relative); it != result_->storedNames.end()) {
      out_.Note(line.line, kFieldColumn,
                "build stores the payload " + Quoted(relative) + " as " + Quoted(it->second) +
                    ": beside Setup.exe a library's name would let Windows load it into the "
                    "installer");
      continue;
    }
    out_.Warning(
        line.line, kFieldColumn,
        "the payload " + Quoted(relative) +
            " lies beside Setup.exe under a library's name, and a macro in its name keeps "
            "build from storing it under another: Windows may load it into the installer",
        "write the source without a macro, or keep it in a subfolder such as system\\" + relative);
  }
}

// The installer takes everything between the first and the last separator as the target, as a
// path: a separator in the description moves the split, quotes and arguments stay in the path.
void Checker::CheckLinkTarget(const ScriptLine& line, const ExpandedFields& fields,
                              std::size_t first, std::size_t last) {
  const int n = line.number;
  const char separator = line.text[1];
  const std::string& text = fields.text;
  const std::string target = text.substr(first + 1, last - first - 1);
  const std::size_t inner = text.find(separator, first + 1);
  if (inner < last) {
    out_.Error(n, fields.column[inner],
               "the L line has more than three fields: the installer takes " + Quoted(target) +
                   " as the target and only " + Quoted(text.substr(last + 1)) +
                   " as the description",
               "choose a separator that occurs in no field, such as L#...#...#DESCRIPTION");
    return;
  }
  const int column = fields.column[first + 1];
  if (target.find('"') != std::string::npos) {
    out_.Error(n, column,
               "the target " + Quoted(target) +
                   " holds quotes: the installer takes it literally, as a path that names no file",
               "write the program's path alone, without quotes");
    return;
  }
  const std::string lower = LowerCaseAscii(target);
  for (const char* program : {".exe ", ".com ", ".bat ", ".cmd "}) {
    if (lower.find(program) != std::string::npos) {
      out_.Error(n, column,
                 "the target " + Quoted(target) +
                     " holds arguments: the installer takes them as part of the path, which then "
                     "names no file",
                 "a shortcut's target is the program's path alone");
      return;
    }
  }
}

void Checker::CheckHiddenLine(const ScriptLine& line, const ExpandedFields& fields) {
  const std::string& name = fields.text;
  if (name.empty() || OnlyBlanks(name)) {
    out_.Error(line.number, kFieldColumn,
               "an empty hidden name: it occurs in every log line and hides the whole log",
               "write the name to hide, such as a private DLL's file name");
    return;
  }
  if (std::optional<std::string> reason = CommonHiddenNameReason(name)) {
    out_.Warning(line.number, kFieldColumn,
                 "the hidden name " + Quoted(name) + " hides unrelated log lines: " + *reason,
                 "hide a name only your product uses, such as a private DLL's file name");
  }
}

}  // namespace

std::optional<std::string> RelativeSource(std::string_view source) {
  if (source.empty()) return std::nullopt;
  std::string native(source);
  for (char& c : native) {
    if (c == '\\') c = '/';
  }
  if (native.front() == '/' || (native.size() >= 2 && native[1] == ':')) return std::nullopt;
  std::size_t start = 0;
  while (start <= native.size()) {
    std::size_t end = native.find('/', start);
    if (end == std::string::npos) end = native.size();
    if (native.compare(start, end - start, "..") == 0 && end - start == 2) return std::nullopt;
    start = end + 1;
  }
  return native;
}

char SuggestSeparator(const std::vector<std::string_view>& texts) {
  for (const char c : std::string_view("|#~^!@%&*+=")) {
    bool free = true;
    for (const std::string_view text : texts) free = free && text.find(c) == std::string_view::npos;
    if (free) return c;
  }
  return '|';
}

ScriptCheck CheckScript(std::string_view bytes, const ScriptCheckOptions& options) {
  ScriptCheck result;
  result.normalised = NormaliseText(bytes, true);
  Diagnostics& out = result.diagnostics;
  if (const std::optional<UnmappableCharacter>& bad = result.normalised.unmappable) {
    out.Error(bad->line, bad->column,
              DescribeCharacter(*bad) +
                  " has no place in Windows-1252, the code page the installer reads scripts in",
              "write it with the letters of Western European languages, or leave it out");
    return result;
  }
  const std::vector<ScriptLine> lines = SplitLines(result.normalised.bytes);
  if (result.normalised.bareLineFeeds > 0) {
    const int more = result.normalised.bareLineFeeds - 1;
    out.Warning(result.normalised.firstBareLineFeed, 1,
                "the line ends in a line feed without CR" +
                    (more > 0 ? " (and " + std::to_string(more) +
                                    (more == 1 ? " more line)" : " more lines)")
                              : std::string()) +
                    ": the installer would drop each such line's last character",
                "setup-pack build writes the script with CR LF line ends");
  }
  if (result.normalised.lineEndAdded && !lines.empty()) {
    out.Warning(lines.back().number, 1,
                "the last line has no line end: the installer would ignore it",
                "setup-pack build ends it with CR LF");
  }
  Checker checker(options, out);
  checker.Run(lines, &result);
  return result;
}

}  // namespace setup::pack
