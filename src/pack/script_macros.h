// The macro words of script lines as an author writes them: their values on the checked
// machine, where each expanded byte came from, and words that only look like macros.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pack/diagnostics.h"
#include "platform/platform.h"

namespace setup::pack {

inline constexpr std::array<std::string_view, 5> kMacroWordList = {
    "?WINDOWS?", "?SYSTEM?", "?APPDIR?", "?STARTMENU?", "?PRGFDIR?"};

// What each macro word becomes on one machine, in the order of kMacroWordList; nothing for a
// word that cannot be expanded there (the Programs folder cannot be found).
struct MacroValues {
  std::array<std::optional<std::string>, 5> values;
};

// The values on `platform`, obtained with the installer's own expansion; `appDir` is what
// ?APPDIR? stands for (the proposed installation directory).
[[nodiscard]] MacroValues ReadMacroValues(const Platform& platform, const std::string& appDir);

// A line's field text after expansion, and for every byte the column of the line it came from
// and, for the bytes of an inserted value, the index of its macro word.
struct ExpandedFields {
  std::string text;
  std::vector<int> column;
  std::vector<int> macro;  // -1 for the author's own bytes
};

// Expands as the installer does: each round replaces the leftmost occurrence of the first macro
// of the list that occurs, inserted values are not expanded again, and a macro that cannot be
// expanded stops the expansion. `firstColumn` is the column of the field text's first byte.
[[nodiscard]] ExpandedFields ExpandTracked(std::string_view fields, int firstColumn,
                                           const MacroValues& values);

// Warns of words between question marks that are no macro (?DESKTOP?, ?appdir?) and of macro
// names missing a question mark.
void CheckMacroWords(std::string_view fields, int line, int firstColumn, Diagnostics& out);

}  // namespace setup::pack
