// The machine's ANSI code page: Windows-1252 built in, the others from iconv, converted to and
// from UTF-16 and UTF-8 as Windows does.
#include "platform/host/ansi_code_page.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

#include "platform/text_encoding.h"

namespace setup {

namespace {

constexpr unsigned kSupported[] = {1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258, 437, 850};

// Windows-1252's bytes 0x80..0x9F; all others stand for the UTF-16 unit of the same value.
constexpr char16_t kHighControls1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Bytes the C library leaves undefined that Windows does not map to the unit of the same value.
struct WindowsOnlyByte {
  unsigned codePage;
  unsigned char byte;
  char16_t unit;
};
constexpr WindowsOnlyByte kWindowsOnlyBytes[] = {
    {1253, 0xAA, 0xF8F9}, {1253, 0xD2, 0xF8FA}, {1253, 0xFF, 0xF8FB}, {1255, 0xCA, 0x05BA},
    {1255, 0xD9, 0xF88D}, {1255, 0xDA, 0xF88E}, {1255, 0xDB, 0xF88F}, {1255, 0xDC, 0xF890},
    {1255, 0xDD, 0xF891}, {1255, 0xDE, 0xF892}, {1255, 0xDF, 0xF893}, {1255, 0xFB, 0xF894},
    {1255, 0xFC, 0xF895}, {1255, 0xFF, 0xF896}, {1257, 0xA1, 0xF8FC}, {1257, 0xA5, 0xF8FD},
};

class ScopedIconv {
 public:
  ScopedIconv(const char* to, const char* from) : cd_(::iconv_open(to, from)) {}
  ~ScopedIconv() {
    if (valid()) ::iconv_close(cd_);
  }
  ScopedIconv(const ScopedIconv&) = delete;
  ScopedIconv& operator=(const ScopedIconv&) = delete;
  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

// One byte through iconv on its own, so that converters which wait for a combining mark
// (1255, 1258) give the byte's own character; nothing when iconv has none for it.
std::optional<char16_t> ConvertByte(const ScopedIconv& cd, unsigned char byte) {
  ::iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
  char in[1] = {static_cast<char>(byte)};
  char out[16];
  char* inPtr = in;
  char* outPtr = out;
  std::size_t inLeft = 1;
  std::size_t outLeft = sizeof out;
  if (::iconv(cd.get(), &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
    return std::nullopt;
  }
  if (::iconv(cd.get(), nullptr, nullptr, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
    return std::nullopt;
  }
  if (outPtr - out != 2) return std::nullopt;  // one UTF-16 unit, nothing composed
  return static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                               static_cast<unsigned char>(out[1]) << 8);
}

}  // namespace

AnsiCodePage::AnsiCodePage() : number_(1252) {
  std::array<char16_t, 256> table{};
  for (unsigned byte = 0; byte < 256; ++byte) {
    table[byte] =
        byte >= 0x80 && byte < 0xA0 ? kHighControls1252[byte - 0x80] : static_cast<char16_t>(byte);
  }
  *this = AnsiCodePage(1252, table);
}

AnsiCodePage::AnsiCodePage(unsigned number, const std::array<char16_t, 256>& table)
    : number_(number), toUnicode_(table) {
  for (unsigned byte = 0; byte < 256; ++byte) {
    fromUnicode_[byte] = {table[byte], static_cast<unsigned char>(byte)};
  }
  std::sort(fromUnicode_.begin(), fromUnicode_.end());
}

std::span<const unsigned> AnsiCodePage::Supported() { return kSupported; }

std::optional<AnsiCodePage> AnsiCodePage::Load(unsigned number) {
  if (std::find(std::begin(kSupported), std::end(kSupported), number) == std::end(kSupported)) {
    return std::nullopt;
  }
  if (number == 1252) return AnsiCodePage();
  const std::string name = "CP" + std::to_string(number);
  const ScopedIconv cd("UTF-16LE", name.c_str());
  if (!cd.valid()) return std::nullopt;
  std::array<char16_t, 256> table{};
  for (unsigned byte = 0; byte < 256; ++byte) {
    const std::optional<char16_t> unit = ConvertByte(cd, static_cast<unsigned char>(byte));
    table[byte] = unit.value_or(static_cast<char16_t>(byte));
    if (unit) continue;
    for (const WindowsOnlyByte& special : kWindowsOnlyBytes) {
      if (special.codePage == number && special.byte == byte) table[byte] = special.unit;
    }
  }
  return AnsiCodePage(number, table);
}

std::string AnsiCodePage::Name() const {
  return (number_ >= 1250 ? "Windows-" : "IBM") + std::to_string(number_);
}

std::u16string AnsiCodePage::ToUtf16(std::string_view ansi) const {
  std::u16string wide;
  wide.reserve(ansi.size());
  for (char c : ansi) wide += ToUnicode(static_cast<unsigned char>(c));
  return wide;
}

std::string AnsiCodePage::ToUtf8(std::string_view ansi) const {
  std::u32string text;
  text.reserve(ansi.size());
  for (char c : ansi) text += ToUnicode(static_cast<unsigned char>(c));
  return EncodeUtf8(text);
}

std::optional<char> AnsiCodePage::FromUnicode(char32_t character) const {
  if (character > 0xFFFF) return std::nullopt;
  const auto unit = static_cast<char16_t>(character);
  const auto found = std::lower_bound(
      fromUnicode_.begin(), fromUnicode_.end(), unit,
      [](const std::pair<char16_t, unsigned char>& entry, char16_t u) { return entry.first < u; });
  if (found == fromUnicode_.end() || found->first != unit) return std::nullopt;
  return static_cast<char>(found->second);
}

bool AnsiCodePage::FromUtf16(std::u16string_view wide, std::string* ansi) const {
  std::string out;
  out.reserve(wide.size());
  for (char16_t unit : wide) {
    // A surrogate is never a character of a single-byte code page.
    const std::optional<char> byte =
        unit >= 0xD800 && unit <= 0xDFFF ? std::nullopt : FromUnicode(unit);
    if (!byte) return false;
    out += *byte;
  }
  *ansi = std::move(out);
  return true;
}

bool AnsiCodePage::FromUtf8(std::string_view utf8, std::string* ansi) const {
  const std::optional<std::u32string> text = DecodeUtf8(utf8);
  if (!text) return false;
  std::string out;
  out.reserve(text->size());
  for (char32_t c : *text) {
    const std::optional<char> byte = FromUnicode(c);
    if (!byte) return false;
    out += *byte;
  }
  *ansi = std::move(out);
  return true;
}

namespace {
const AnsiCodePage& Windows1252() {
  static const AnsiCodePage codePage;
  return codePage;
}
}  // namespace

std::u16string AnsiToUtf16(std::string_view text) { return Windows1252().ToUtf16(text); }

bool Utf16ToAnsi(std::u16string_view text, std::string* ansi) {
  return Windows1252().FromUtf16(text, ansi);
}

}  // namespace setup
