// The destination macros of setup-script lines.
#include "script/macros.h"

#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "base/registry_access.h"

namespace setup {

namespace {

enum class Macro { kWindows, kSystem, kAppDir, kStartMenu, kProgramFiles };

struct MacroWord {
  std::string_view word;
  Macro macro;
};

// Looked for in this order; the order decides which occurrence is replaced first.
constexpr std::array<MacroWord, 5> kMacroWords = {{{"?WINDOWS?", Macro::kWindows},
                                                   {"?SYSTEM?", Macro::kSystem},
                                                   {"?APPDIR?", Macro::kAppDir},
                                                   {"?STARTMENU?", Macro::kStartMenu},
                                                   {"?PRGFDIR?", Macro::kProgramFiles}}};

// A directory must fit a system path buffer with its terminating zero; one that does not is
// treated as not obtained.
bool FitsPathBuffer(const std::string& path) {
  return path.size() < static_cast<std::size_t>(kMaxPath);
}

struct Occurrence {
  const MacroWord* macro = nullptr;
  std::size_t index = 0;
};

// The leftmost occurrence of the first macro of the list that has one. An occurrence made only
// of inserted bytes does not count: values are never expanded again.
std::optional<Occurrence> FindNextMacro(const std::string& text,
                                        const std::vector<bool>& inserted) {
  for (const MacroWord& macro : kMacroWords) {
    std::size_t from = 0;
    for (;;) {
      const std::size_t index = text.find(macro.word, from);
      if (index == std::string::npos) break;
      for (std::size_t i = index; i < index + macro.word.size(); ++i) {
        if (!inserted[i]) return Occurrence{&macro, index};
      }
      from = index + 1;
    }
  }
  return std::nullopt;
}

}  // namespace

void ExpandMacros(const Platform& platform, WindowHandle owner, std::string& text,
                  const char* destinationDirectory) {
  // One mark per byte of `text`: whether it came from an inserted value. Every replacement
  // removes at least one byte of the original text, so expansion always ends; when no value
  // holds a macro word no occurrence is ever passed over, and the result is exactly that of
  // expanding values in turn.
  std::vector<bool> inserted(text.size(), false);
  for (;;) {
    const std::optional<Occurrence> next = FindNextMacro(text, inserted);
    if (!next) return;

    std::string value;
    switch (next->macro->macro) {
      case Macro::kWindows:
        value = platform.files.GetWindowsDirectory();
        if (!FitsPathBuffer(value)) value.clear();
        break;
      case Macro::kSystem:
        value = platform.files.GetSystemDirectory();
        if (!FitsPathBuffer(value)) value.clear();
        break;
      case Macro::kAppDir:
        value = destinationDirectory != nullptr ? destinationDirectory : kAppDirPlaceholder;
        break;
      case Macro::kStartMenu:
        // Without the Programs folder nothing further is expanded; what was replaced stays.
        if (!platform.shell.GetProgramsFolder(owner, &value) || !FitsPathBuffer(value)) return;
        break;
      case Macro::kProgramFiles: {
        std::optional<std::string> stored =
            ReadRegistryString(platform.registry, kProgramFilesDirPath, '\\');
        value = stored ? std::move(*stored) : std::string(kDefaultProgramFilesDir);
        break;
      }
    }

    const std::size_t length = next->macro->word.size();
    text.replace(next->index, length, value);
    inserted.erase(inserted.begin() + static_cast<std::ptrdiff_t>(next->index),
                   inserted.begin() + static_cast<std::ptrdiff_t>(next->index + length));
    inserted.insert(inserted.begin() + static_cast<std::ptrdiff_t>(next->index), value.size(),
                    true);
  }
}

}  // namespace setup
