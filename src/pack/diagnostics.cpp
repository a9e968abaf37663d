// Problems found in an author's files, printed the way compilers print them.
#include "pack/diagnostics.h"

#include <algorithm>

namespace setup::pack {

void Diagnostics::Error(int line, int column, std::string text, std::string hint) {
  all_.push_back(Diagnostic{line, column, Severity::kError, std::move(text), std::move(hint)});
  ++errors_;
}

void Diagnostics::Warning(int line, int column, std::string text, std::string hint) {
  all_.push_back(Diagnostic{line, column, Severity::kWarning, std::move(text), std::move(hint)});
  ++warnings_;
}

void Diagnostics::Note(int line, int column, std::string text, std::string hint) {
  all_.push_back(Diagnostic{line, column, Severity::kNote, std::move(text), std::move(hint)});
}

namespace {

const char* SeverityName(Severity severity) {
  switch (severity) {
    case Severity::kError:
      return "error";
    case Severity::kWarning:
      return "warning";
    case Severity::kNote:
      return "note";
  }
  return "error";
}

}  // namespace

void Diagnostics::Print(std::FILE* out, const std::string& file,
                        std::string (*shown)(const std::string&)) const {
  std::vector<const Diagnostic*> ordered;
  for (const Diagnostic& diagnostic : all_) ordered.push_back(&diagnostic);
  std::stable_sort(ordered.begin(), ordered.end(), [](const Diagnostic* a, const Diagnostic* b) {
    return a->line != b->line ? a->line < b->line : a->column < b->column;
  });
  for (const Diagnostic* diagnostic : ordered) {
    std::fprintf(out, "%s:%d:%d: %s: %s\n", file.c_str(), diagnostic->line, diagnostic->column,
                 SeverityName(diagnostic->severity), shown(diagnostic->text).c_str());
    if (!diagnostic->hint.empty()) {
      std::fprintf(out, "  hint: %s\n", shown(diagnostic->hint).c_str());
    }
  }
}

std::string CountText(int errors, int warnings) {
  return std::to_string(errors) + (errors == 1 ? " error, " : " errors, ") +
         std::to_string(warnings) + (warnings == 1 ? " warning" : " warnings");
}

}  // namespace setup::pack
