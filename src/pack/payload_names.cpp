// The names payloads are stored under in a distribution. The installer and a bundle's unpacked
// copy of it run in the distribution's folder, where Windows looks for the libraries they load
// first; a payload that kept a library's name there could be loaded in place of the system's
// (compressed: the program cannot start; crafted: it runs with the installer's rights).
#include "pack/payload_names.h"

#include <set>

#include "platform/ascii_case.h"

namespace setup::pack {

bool NamedLikeLibrary(std::string_view relative) {
  if (relative.size() < 4) return false;
  const std::string_view extension = relative.substr(relative.size() - 4);
  for (const char* library : {".dll", ".ocx", ".drv"}) {
    if (EqualsIgnoringAsciiCase(extension, library)) return true;
  }
  return false;
}

std::map<std::string, std::string> StoredPayloadNames(const std::vector<std::string>& sources,
                                                      const std::vector<PayloadLine>& lines) {
  std::set<std::string> fixed;  // named by a line whose field cannot be rewritten
  for (const PayloadLine& line : lines) {
    if (!line.verbatim) fixed.insert(line.relative);
  }
  std::set<std::string> taken;
  std::vector<std::string> renamed;
  for (const std::string& source : sources) {
    if (NamedLikeLibrary(source) && fixed.count(source) == 0) {
      renamed.push_back(source);
    } else {
      taken.insert(UpperCaseAscii(source));
    }
  }
  std::map<std::string, std::string> stored;
  for (const std::string& source : renamed) {
    const std::string stem = source.substr(0, source.size() - 4);
    const std::string extension = source.substr(source.size() - 4, 3) + "_";
    std::string name = stem + extension;
    for (int n = 2; taken.count(UpperCaseAscii(name)) != 0; ++n) {
      name = stem + "~" + std::to_string(n) + extension;
    }
    taken.insert(UpperCaseAscii(name));
    stored.emplace(source, name);
  }
  return stored;
}

std::string WithStoredSources(const std::string& script, const std::vector<PayloadLine>& lines,
                              const std::map<std::string, std::string>& stored) {
  std::map<int, const std::string*> byLine;  // line number -> stored name
  for (const PayloadLine& line : lines) {
    const auto it = stored.find(line.relative);
    if (line.verbatim && it != stored.end()) byLine.emplace(line.line, &it->second);
  }
  std::string result;
  result.reserve(script.size() + 2 * byLine.size());
  std::size_t start = 0;
  for (int number = 1; start < script.size(); ++number) {
    std::size_t end = script.find('\n', start);
    end = end == std::string::npos ? script.size() : end + 1;
    const auto it = byLine.find(number);
    if (it == byLine.end()) {
      result.append(script, start, end - start);
      start = end;
      continue;
    }
    // A verbatim source is the field text up to the line's first separator; only its file name
    // changes, so the folders keep whichever slashes the author wrote.
    const std::size_t fieldStart = start + 2;
    const std::size_t separator = script.find(script[start + 1], fieldStart);
    if (separator == std::string::npos || separator >= end) {  // not the line the checker read
      result.append(script, start, end - start);
      start = end;
      continue;
    }
    const std::size_t lastSlash = script.find_last_of("\\/", separator);
    const std::size_t nameStart =
        lastSlash == std::string::npos || lastSlash < fieldStart ? fieldStart : lastSlash + 1;
    const std::string& name = *it->second;
    const std::size_t storedSlash = name.rfind('/');
    result.append(script, start, nameStart - start);
    result += storedSlash == std::string::npos ? name : name.substr(storedSlash + 1);
    result.append(script, separator, end - separator);
    start = end;
  }
  return result;
}

}  // namespace setup::pack
