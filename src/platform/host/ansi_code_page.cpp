// The host's ANSI code page, Windows-1252, converted to and from UTF-16 as Windows does.
#include "platform/host/ansi_code_page.h"

#include <algorithm>
#include <iterator>

namespace setup {

namespace {

// Bytes 0x80..0x9F; all others stand for the UTF-16 unit of the same value.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

std::u16string AnsiToUtf16(std::string_view text) {
  std::u16string wide;
  wide.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    wide.push_back(byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : char16_t{byte});
  }
  return wide;
}

bool Utf16ToAnsi(std::u16string_view text, std::string* ansi) {
  std::string out;
  out.reserve(text.size());
  for (const char16_t unit : text) {
    const auto* found = std::find(std::begin(kHighControls), std::end(kHighControls), unit);
    if (found != std::end(kHighControls)) {
      out.push_back(static_cast<char>(0x80 + (found - std::begin(kHighControls))));
    } else if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
      out.push_back(static_cast<char>(unit));
    } else {
      return false;
    }
  }
  *ansi = std::move(out);
  return true;
}

}  // namespace setup
