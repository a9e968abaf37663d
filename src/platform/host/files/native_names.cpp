// Stored names of the machine folder: UTF-8 on disk, ANSI on the Windows side, folded case.
#include "platform/host/files/native_names.h"

#include <locale.h>

#include <clocale>
#include <cwctype>
#include <optional>

#include "platform/text_encoding.h"

namespace setup {

namespace {

// Unicode simple case folding of one character. The C library's case mappings in the C.UTF-8
// locale (never the user's, so that a name means the same on every machine) give it as the
// lower case of the upper case, except for the dotted and dotless i of Turkish, which fold to
// nothing else. Without that locale only ASCII letters fold.
char32_t FoldCharacter(char32_t c) {
  static const locale_t unicode = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
  if (c == 0x130 || c == 0x131) return c;
  if (unicode == nullptr) return c >= U'A' && c <= U'Z' ? c - U'A' + U'a' : c;
  const auto upper = ::towupper_l(static_cast<wint_t>(c), unicode);
  return static_cast<char32_t>(::towlower_l(upper, unicode));
}

}  // namespace

std::string NativeName(const AnsiCodePage& codePage, std::string_view ansi) {
  return codePage.ToUtf8(ansi);
}

std::string AnsiName(const AnsiCodePage& codePage, std::string_view native) {
  const std::optional<std::u32string> text = DecodeUtf8(native);
  if (!text) return std::string(native);
  std::string ansi;
  ansi.reserve(text->size());
  for (char32_t c : *text) ansi += codePage.FromUnicode(c).value_or('?');
  return ansi;
}

std::u32string FoldedName(const AnsiCodePage& codePage, std::string_view native) {
  std::optional<std::u32string> text = DecodeUtf8(native);
  if (!text) {
    text.emplace();
    for (char c : native) *text += codePage.ToUnicode(static_cast<unsigned char>(c));
  }
  for (char32_t& c : *text) c = FoldCharacter(c);
  return *text;
}

}  // namespace setup
