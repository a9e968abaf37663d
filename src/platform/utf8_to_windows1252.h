// Converting UTF-8 text into Windows-1252, the code page the installer's texts are shown in.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace setup {

// Converts valid UTF-8 `utf8` into Windows-1252, without best-fit replacements. Answers true
// with `*ansi` set; false when a character has no place in Windows-1252 (or the text is not
// valid UTF-8), with `*failedAt` the byte offset in `utf8` where that character begins.
// The host uses iconv, win32 WideCharToMultiByte.
[[nodiscard]] bool Utf8ToWindows1252(std::string_view utf8, std::string* ansi,
                                     std::size_t* failedAt);

}  // namespace setup
