// The checks an author's plain setup script goes through before it is packed: everything that
// makes the installer's load fail or cannot be what the author meant, found line by line.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pack/diagnostics.h"
#include "pack/payload_names.h"
#include "pack/text_normaliser.h"
#include "platform/platform.h"

namespace setup::pack {

struct ScriptCheckOptions {
  // The machine whose directories the macros are expanded with, as the installer would there.
  const Platform* machine = nullptr;
  // Whether a source (a relative path with '/' separators) exists in the source folder; when
  // empty, sources are not looked for.
  std::function<bool(const std::string& relative)> sourceExists;
  // How the source folder is named in messages.
  std::string sourceFolder;
};

struct ScriptCheck {
  Diagnostics diagnostics;
  // The script as the distribution gets it: CR LF line ends, Windows-1252.
  NormalisedText normalised;
  // The F lines' sources that are relative paths inside the distribution, '/' separators,
  // each once, in the order of their lines.
  std::vector<std::string> sources;
  // Every F line's relative source, and the names build stores payloads under where they are
  // not their sources' (see payload_names.h).
  std::vector<PayloadLine> payloadLines;
  std::map<std::string, std::string> storedNames;
};

// Checks the plain script `bytes`. Line numbers are those of the author's file; columns count
// characters from 1.
[[nodiscard]] ScriptCheck CheckScript(std::string_view bytes, const ScriptCheckOptions& options);

// A source name as a relative path with '/' separators; nothing when it is empty, absolute, on
// a drive or climbs out with "..": the installer opens sources relative to its own folder.
[[nodiscard]] std::optional<std::string> RelativeSource(std::string_view source);

// A separator character that occurs in none of `texts`, for hints; '|' when it is free.
[[nodiscard]] char SuggestSeparator(const std::vector<std::string_view>& texts);

}  // namespace setup::pack
