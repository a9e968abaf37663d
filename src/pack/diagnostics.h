// Problems found in an author's files, printed the way compilers print them so that editors can
// jump to each: FILE:LINE:COLUMN: error: TEXT, then a hint where one helps.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace setup::pack {

// A note tells what build does about something and is not counted.
enum class Severity { kError, kWarning, kNote };

struct Diagnostic {
  int line = 0;    // from 1
  int column = 0;  // from 1
  Severity severity = Severity::kError;
  std::string text;
  std::string hint;  // empty when none helps
};

class Diagnostics {
 public:
  void Error(int line, int column, std::string text, std::string hint = {});
  void Warning(int line, int column, std::string text, std::string hint = {});
  void Note(int line, int column, std::string text, std::string hint = {});

  const std::vector<Diagnostic>& all() const { return all_; }
  int errors() const { return errors_; }
  int warnings() const { return warnings_; }

  // One diagnostic per problem in line order, each followed by its hint. The texts quote the
  // script in Windows-1252: `shown` turns them into the terminal's encoding.
  void Print(std::FILE* out, const std::string& file,
             std::string (*shown)(const std::string&)) const;

 private:
  std::vector<Diagnostic> all_;
  int errors_ = 0;
  int warnings_ = 0;
};

// "1 error, 2 warnings".
[[nodiscard]] std::string CountText(int errors, int warnings);

}  // namespace setup::pack
