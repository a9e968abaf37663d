// printf-style formatting of the installer's own texts (the log's lines), by the C runtime the
// system already has: on Windows that is msvcrt.dll, which spares each program a formatting
// library of its own.
#pragma once

#include <cstdarg>
#include <cstddef>

namespace setup {

// Formats as vsnprintf does for the conversions the programs use (%s, %c, %d, %u, %x with flags
// and widths) into `buffer` of `size` bytes. A text that does not fit is cut and may lack its
// terminating zero; the answer is then negative or at least `size`.
int FormatText(char* buffer, std::size_t size, const char* format, std::va_list arguments);

}  // namespace setup
