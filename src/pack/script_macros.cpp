// The macro words of script lines as an author writes them.
#include "pack/script_macros.h"

#include "platform/ascii_case.h"
#include "script/macros.h"

namespace setup::pack {

namespace {

bool IsWordCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// The macro whose name (without question marks) is `name` in any letter case, or -1.
int MacroNamed(std::string_view name) {
  const std::string upper = UpperCaseAscii(name);
  for (std::size_t i = 0; i < kMacroWordList.size(); ++i) {
    const std::string_view word = kMacroWordList[i];
    if (word.substr(1, word.size() - 2) == upper) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

MacroValues ReadMacroValues(const Platform& platform, const std::string& appDir) {
  MacroValues result;
  for (std::size_t i = 0; i < kMacroWordList.size(); ++i) {
    std::string text(kMacroWordList[i]);
    ExpandMacros(platform, nullptr, text, appDir.c_str());
    // A word that stays as it was could not be expanded on this machine.
    if (text != kMacroWordList[i]) result.values[i] = std::move(text);
  }
  return result;
}

ExpandedFields ExpandTracked(std::string_view fields, int firstColumn, const MacroValues& values) {
  ExpandedFields out;
  out.text = std::string(fields);
  for (std::size_t i = 0; i < fields.size(); ++i) {
    out.column.push_back(firstColumn + static_cast<int>(i));
    out.macro.push_back(-1);
  }
  for (;;) {
    // The first macro of the list with an occurrence not made only of inserted bytes.
    int found = -1;
    std::size_t at = 0;
    for (std::size_t m = 0; m < kMacroWordList.size() && found < 0; ++m) {
      const std::string_view word = kMacroWordList[m];
      for (std::size_t from = 0;;) {
        const std::size_t index = out.text.find(word, from);
        if (index == std::string::npos) break;
        bool own = false;
        for (std::size_t k = index; k < index + word.size(); ++k) own = own || out.macro[k] < 0;
        if (own) {
          found = static_cast<int>(m);
          at = index;
          break;
        }
        from = index + 1;
      }
    }
    if (found < 0) return out;
    const std::optional<std::string>& value = values.values[static_cast<std::size_t>(found)];
    if (!value) return out;
    const std::size_t length = kMacroWordList[static_cast<std::size_t>(found)].size();
    const int column = out.column[at];
    out.text.replace(at, length, *value);
    const auto begin = static_cast<std::ptrdiff_t>(at);
    const auto end = static_cast<std::ptrdiff_t>(at + length);
    out.column.erase(out.column.begin() + begin, out.column.begin() + end);
    out.macro.erase(out.macro.begin() + begin, out.macro.begin() + end);
    out.column.insert(out.column.begin() + begin, value->size(), column);
    out.macro.insert(out.macro.begin() + begin, value->size(), found);
  }
}

void CheckMacroWords(std::string_view fields, int line, int firstColumn, Diagnostics& out) {
  const std::string words =
      "the macros are ?WINDOWS?, ?SYSTEM?, ?APPDIR?, ?STARTMENU? and ?PRGFDIR?";
  for (std::size_t at = 0; at < fields.size(); ++at) {
    if (fields[at] != '?') continue;
    std::size_t end = at + 1;
    while (end < fields.size() && IsWordCharacter(fields[end])) ++end;
    const std::string_view name = fields.substr(at + 1, end - at - 1);
    const int column = firstColumn + static_cast<int>(at);
    if (name.empty()) continue;
    const int macro = MacroNamed(name);
    if (end == fields.size() || fields[end] != '?') {
      if (macro >= 0) {
        out.Warning(
            line, column,
            "'?" + std::string(name) + "' lacks its closing question mark; it stays as it is",
            "write " + std::string(kMacroWordList[static_cast<std::size_t>(macro)]));
      }
      at = end - 1;
      continue;
    }
    const std::string word = "?" + std::string(name) + "?";
    if (macro >= 0 && word == kMacroWordList[static_cast<std::size_t>(macro)]) {
      // The value ends without a backslash: a name right after it runs into the folder's name.
      if (end + 1 < fields.size() && (IsWordCharacter(fields[end + 1]) || fields[end + 1] == '.')) {
        out.Warning(line, column,
                    word +
                        " is directly followed by a name: the installer joins them without a "
                        "backslash",
                    "write " + word + "\\" + std::string(fields.substr(end + 1, 1)) + "...");
      }
      at = end;
      continue;
    }
    if (macro >= 0) {
      out.Warning(
          line, column, word + " is not a macro: it stays as it is",
          "macros are upper case: " + std::string(kMacroWordList[static_cast<std::size_t>(macro)]));
    } else {
      out.Warning(line, column, word + " is not a macro: it stays as it is", words);
    }
    // The closing question mark may open the next word.
    at = end - 1;
  }
}

}  // namespace setup::pack
