// Windows path rules as pure functions: drives, roots, separators, `.` and `..`, letter case.
#include "platform/host/files/windows_path.h"

#include <algorithm>

namespace setup {

bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

namespace {

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Win32 drops trailing dots and blanks from every component ("name." is "name").
std::string TrimComponent(std::string_view part) {
  std::size_t end = part.size();
  while (end > 0 && (part[end - 1] == '.' || part[end - 1] == ' ')) --end;
  return std::string(part.substr(0, end));
}

}  // namespace

WindowsPath SplitWindowsPath(std::string_view path) {
  WindowsPath result;
  std::string_view rest = path;
  if (rest.size() >= 2 && rest[1] == ':' && IsAsciiLetter(rest[0])) {
    result.drive = static_cast<char>(rest[0] & ~0x20);
    rest.remove_prefix(2);
  }
  if (!rest.empty() && IsPathSeparator(rest[0])) {
    result.rooted = true;
    result.unc = result.drive == 0 && rest.size() >= 2 && IsPathSeparator(rest[1]);
  }
  result.trailingSeparator = !rest.empty() && IsPathSeparator(rest.back());

  std::size_t pos = 0;
  while (pos < rest.size()) {
    std::size_t end = pos;
    while (end < rest.size() && !IsPathSeparator(rest[end])) ++end;
    const std::string_view part = rest.substr(pos, end - pos);
    pos = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!result.components.empty()) result.components.pop_back();
      continue;
    }
    std::string trimmed = TrimComponent(part);
    if (!trimmed.empty()) result.components.push_back(std::move(trimmed));
  }
  return result;
}

std::string JoinWindowsPath(const WindowsPath& path) {
  std::string text;
  if (path.drive != 0) {
    text += path.drive;
    text += ':';
  }
  if (path.rooted) text += path.unc ? "\\\\" : "\\";
  for (std::size_t i = 0; i < path.components.size(); ++i) {
    if (i > 0) text += '\\';
    text += path.components[i];
  }
  return text;
}

bool IsValidFileName(std::string_view name, bool allowWildcards) {
  if (name.empty()) return false;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20) return false;
    switch (c) {
      case '<':
      case '>':
      case ':':
      case '"':
      case '|':
      case '/':
      case '\\':
        return false;
      case '*':
      case '?':
        if (!allowWildcards) return false;
        break;
      default:
        break;
    }
  }
  return true;
}

bool HasWildcards(std::string_view name) {
  return name.find_first_of("*?") != std::string_view::npos;
}

char FoldCase(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte >= 'A' && byte <= 'Z') return static_cast<char>(byte + 0x20);
  // Windows-1252: À..Þ except × pair with à..þ; Š, Œ, Ž, Ÿ sit apart.
  if (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7) return static_cast<char>(byte + 0x20);
  switch (byte) {
    case 0x8A:
    case 0x8C:
    case 0x8E:
      return static_cast<char>(byte + 0x10);
    case 0x9F:
      return static_cast<char>(0xFF);
    default:
      return c;
  }
}

std::string FoldCase(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) c = FoldCase(c);
  return folded;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return FoldCase(x) == FoldCase(y);
         });
}

bool LessIgnoreCase(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(FoldCase(x)) < static_cast<unsigned char>(FoldCase(y));
  });
}

namespace {

// Iterative glob with backtracking to the last `*`: linear in practice, never recursive, so a
// hostile pattern cannot exhaust the stack.
bool Glob(std::string_view pattern, std::string_view name) {
  std::size_t p = 0, n = 0;
  std::size_t starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
      continue;
    }
    if (p < pattern.size() && (pattern[p] == '?' || FoldCase(pattern[p]) == FoldCase(name[n]))) {
      ++p;
      ++n;
      continue;
    }
    if (starP == std::string_view::npos) return false;
    p = starP + 1;
    n = ++starN;
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
  if (Glob(pattern, name)) return true;
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
      name.find('.') == std::string_view::npos) {
    return Glob(pattern.substr(0, pattern.size() - 2), name);
  }
  return false;
}

}  // namespace setup
