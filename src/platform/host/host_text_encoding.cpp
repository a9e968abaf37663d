// The host's TextEncoding: the ANSI code page, and the locale's multibyte encoding through the
// C library's wide-character conversions.
#include "platform/host/host_text_encoding.h"

#include <climits>
#include <clocale>
#include <cstring>
#include <cwchar>

namespace setup {

static_assert(sizeof(wchar_t) == 4, "the host's wide characters are Unicode code points");

HostTextEncoding::HostTextEncoding() {
  // Only the character type: numbers and dates in the log stay as the C locale writes them.
  std::setlocale(LC_CTYPE, "");
}

std::u32string HostTextEncoding::Decode(std::string_view ansi) const {
  std::u32string text;
  text.reserve(ansi.size());
  for (char c : ansi) text += codePage_.ToUnicode(static_cast<unsigned char>(c));
  return text;
}

std::optional<char> HostTextEncoding::Encode(char32_t character) const {
  return codePage_.FromUnicode(character);
}

std::string HostTextEncoding::ToTerminal(std::u32string_view text) const {
  std::string out;
  out.reserve(text.size());
  std::mbstate_t state{};
  char buffer[MB_LEN_MAX];
  for (char32_t c : text) {
    const std::size_t length = std::wcrtomb(buffer, static_cast<wchar_t>(c), &state);
    if (length == static_cast<std::size_t>(-1)) {
      state = std::mbstate_t{};
      out += '?';
      continue;
    }
    out.append(buffer, length);
  }
  return out;
}

std::optional<std::u32string> HostTextEncoding::FromTerminal(std::string_view bytes) const {
  std::u32string text;
  std::mbstate_t state{};
  std::size_t i = 0;
  while (i < bytes.size()) {
    wchar_t c = 0;
    const std::size_t length = std::mbrtowc(&c, bytes.data() + i, bytes.size() - i, &state);
    if (length == static_cast<std::size_t>(-1) || length == static_cast<std::size_t>(-2)) {
      return std::nullopt;
    }
    // A zero byte counts as one character, as in the text it came from.
    i += length == 0 ? 1 : length;
    text += static_cast<char32_t>(c);
  }
  return text;
}

}  // namespace setup
