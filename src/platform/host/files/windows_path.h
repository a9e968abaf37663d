// Windows path rules as pure functions: drives, roots, separators, `.` and `..`, letter case.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace setup {

// A path taken apart the way Win32 normalises it. `\` and `/` both separate; repeated
// separators count as one; `.` is dropped; `..` removes the previous component and never climbs
// above the start (the drive's root, or for a relative path the directory it is relative to);
// trailing dots and blanks of a component are dropped, as Win32 does.
struct WindowsPath {
  char drive = 0;                  // upper-case drive letter; 0 when the path names none
  bool rooted = false;             // begins with a separator (after the drive, if any)
  bool unc = false;                // begins with two separators: a network or device path
  bool trailingSeparator = false;  // ends with a separator
  std::vector<std::string> components;
};

[[nodiscard]] bool IsPathSeparator(char c);

[[nodiscard]] WindowsPath SplitWindowsPath(std::string_view path);

// Joins a split path back into its canonical text with `\` separators ("C:\A\b", "\A", "a\b").
[[nodiscard]] std::string JoinWindowsPath(const WindowsPath& path);

// Whether `name` may be a file or directory name on Windows: not empty, no control characters,
// none of < > : " | and (unless `allowWildcards`) no * or ?.
[[nodiscard]] bool IsValidFileName(std::string_view name, bool allowWildcards);

[[nodiscard]] bool HasWildcards(std::string_view name);

// Letter case as Windows folds it for file and key names in the ANSI code page (Windows-1252):
// ASCII letters and the accented letters of the upper half.
[[nodiscard]] char FoldCase(char c);
[[nodiscard]] std::string FoldCase(std::string_view text);
[[nodiscard]] bool EqualsIgnoreCase(std::string_view a, std::string_view b);
[[nodiscard]] bool LessIgnoreCase(std::string_view a, std::string_view b);

// FindFirstFile's matching of one name: `*` any run of characters, `?` any one character, case
// ignored. As on Windows, a pattern ending in ".*" also matches a name without any dot, so "*.*"
// matches every name.
[[nodiscard]] bool MatchesWildcard(std::string_view pattern, std::string_view name);

}  // namespace setup
