// The script's tables and the hidden-name test.
#include "script/setup_script.h"

#include "platform/ascii_case.h"

namespace setup {

void FreeSetupScript(SetupScript& script) {
  script.files.clear();
  script.files.shrink_to_fit();
  script.registryEntries.clear();
  script.registryEntries.shrink_to_fit();
  script.links.clear();
  script.links.shrink_to_fit();
  script.hiddenNames.clear();
  script.hiddenNames.shrink_to_fit();
  script.unfilledHiddenNames = 0;
}

int ContainsHiddenName(const SetupScript& script, const std::string& text) {
  if (script.hiddenNames.empty()) return 0;
  const std::string upperText = UpperCaseAscii(text);
  const std::size_t filled =
      script.hiddenNames.size() - std::min(script.unfilledHiddenNames, script.hiddenNames.size());
  for (std::size_t i = 0; i < filled; ++i) {
    if (upperText.find(UpperCaseAscii(script.hiddenNames[i])) != std::string::npos) return 1;
  }
  return 0;
}

std::function<bool(const std::string&)> HiddenNamesOf(const SetupScript& script) {
  return [&script](const std::string& text) { return ContainsHiddenName(script, text) == 1; };
}

}  // namespace setup
