// The welcome and terms texts and the script as the distribution gets them.
#include "pack/distribution_texts.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "pack/tool_support.h"

namespace setup::pack {

namespace {

// What happened to a text, as one line; empty when nothing changed.
std::string Changes(const NormalisedText& normalised) {
  std::string changes;
  if (normalised.convertedFromUtf8) changes = "converted from UTF-8 to Windows-1252";
  if (normalised.bareLineFeeds > 0) {
    if (!changes.empty()) changes += "; ";
    changes += std::to_string(normalised.bareLineFeeds) +
               (normalised.bareLineFeeds == 1 ? " line" : " lines") +
               " ending in LF alone written with CR LF";
  }
  if (normalised.lineEndAdded) {
    if (!changes.empty()) changes += "; ";
    changes += "the last line, which had no line end, ended with CR LF";
  }
  return changes;
}

}  // namespace

bool PrepareDistributionText(const Command& self, const DistributionTextKind& kind,
                             const std::optional<std::string>& path,
                             std::optional<std::string>* bytes) {
  bytes->reset();
  if (!path) {
    std::fprintf(stderr,
                 "setup-pack %s: warning: no %s FILE: the distribution gets no %s, and %s\n",
                 self.name, kind.option, kind.fileName, kind.whenMissing);
    return true;
  }
  std::ifstream in(*path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.is_open() || in.bad()) {
    ReportError(self, "cannot read '" + *path + "'");
    return false;
  }
  const NormalisedText normalised = NormaliseText(text, false);
  if (const std::optional<UnmappableCharacter>& bad = normalised.unmappable) {
    std::fprintf(stderr,
                 "%s:%d:%d: error: %s has no place in Windows-1252, the code page the installer "
                 "shows texts in\n",
                 path->c_str(), bad->line, bad->column, DescribeCharacter(*bad).c_str());
    return false;
  }
  if (const std::string changes = Changes(normalised); !changes.empty()) {
    std::printf("%s: %s\n", path->c_str(), changes.c_str());
  }
  *bytes = normalised.bytes;
  return true;
}

void TellScriptChanges(const std::string& script, const NormalisedText& normalised) {
  if (const std::string changes = Changes(normalised); !changes.empty()) {
    std::printf("%s: %s\n", script.c_str(), changes.c_str());
  }
}

}  // namespace setup::pack
