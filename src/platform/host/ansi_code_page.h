// The machine's ANSI code page: its number, and conversions to and from UTF-16 and UTF-8 as
// MultiByteToWideChar and WideCharToMultiByte make them for that code page.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace setup {

class AnsiCodePage {
 public:
  // Windows-1252, which needs nothing from the C library.
  AnsiCodePage();

  // The single-byte code page `number` (1250 to 1258, 437, 850), its characters taken from the
  // C library's iconv. A byte iconv leaves undefined maps as Windows maps it: to the UTF-16
  // unit of the same value, or for a few bytes of 1253, 1255 and 1257 to the private-use
  // character Windows gives it. Nothing for another number or when iconv lacks the code page.
  static std::optional<AnsiCodePage> Load(unsigned number);
  // The numbers Load accepts.
  static std::span<const unsigned> Supported();

  unsigned number() const { return number_; }
  // "Windows-1252", "IBM437": how messages name it.
  std::string Name() const;

  // MultiByteToWideChar: every byte has its character.
  char16_t ToUnicode(unsigned char byte) const { return toUnicode_[byte]; }
  [[nodiscard]] std::u16string ToUtf16(std::string_view ansi) const;
  [[nodiscard]] std::string ToUtf8(std::string_view ansi) const;

  // WideCharToMultiByte without best-fit replacements: nothing (false) when a character has no
  // byte in the code page, or the UTF-16 or UTF-8 text is not well formed.
  [[nodiscard]] std::optional<char> FromUnicode(char32_t character) const;
  [[nodiscard]] bool FromUtf16(std::u16string_view wide, std::string* ansi) const;
  [[nodiscard]] bool FromUtf8(std::string_view utf8, std::string* ansi) const;

 private:
  explicit AnsiCodePage(unsigned number, const std::array<char16_t, 256>& table);

  unsigned number_;
  std::array<char16_t, 256> toUnicode_{};
  // (character, byte) sorted by character, for the way back.
  std::array<std::pair<char16_t, unsigned char>, 256> fromUnicode_{};
};

// Windows-1252 conversions (AnsiCodePage()), for callers without a machine.
[[nodiscard]] std::u16string AnsiToUtf16(std::string_view text);
[[nodiscard]] bool Utf16ToAnsi(std::u16string_view text, std::string* ansi);

}  // namespace setup
