// The names payloads are stored under in a distribution: never one Windows' loader looks for.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace setup::pack {

// One F line's source, as the checker found it.
struct PayloadLine {
  int line = 0;          // from 1
  std::string relative;  // '/' separators, as ScriptCheck::sources holds it
  // Whether the source field is the author's own bytes, with no macro expanded into it: only
  // such a field can be rewritten.
  bool verbatim = false;
};

// Whether the loader may take a file of this name for a library (".dll", ".ocx", ".drv", in
// any letter case).
[[nodiscard]] bool NamedLikeLibrary(std::string_view relative);

// The stored name of every payload named like a library: its extension's last character
// replaced by '_' ("zlib1.dl_"), with "~2", "~3", ... before the extension where that name is
// taken (letter case not counting, as on Windows). A source named by a line that is not
// verbatim keeps its name. Every other source keeps its name too and is not in the map.
[[nodiscard]] std::map<std::string, std::string> StoredPayloadNames(
    const std::vector<std::string>& sources, const std::vector<PayloadLine>& lines);

// `script` (CR LF lines, as the checker read it) with each verbatim F line's source field
// naming its stored payload; the folders keep the author's separators.
[[nodiscard]] std::string WithStoredSources(const std::string& script,
                                            const std::vector<PayloadLine>& lines,
                                            const std::map<std::string, std::string>& stored);

}  // namespace setup::pack
