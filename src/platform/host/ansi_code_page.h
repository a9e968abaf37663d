// The host's ANSI code page, Windows-1252, converted to and from UTF-16 as Windows does.
#pragma once

#include <string>
#include <string_view>

namespace setup {

// MultiByteToWideChar(1252): every byte has a character; the five bytes Windows-1252 leaves
// undefined map to the control characters of the same value, as on Windows.
[[nodiscard]] std::u16string AnsiToUtf16(std::string_view text);

// WideCharToMultiByte(1252) without best-fit replacements: false when a unit has no byte.
[[nodiscard]] bool Utf16ToAnsi(std::u16string_view text, std::string* ansi);

}  // namespace setup
