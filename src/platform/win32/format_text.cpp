// Formatting by the system's msvcrt.dll, which leaves a cut-off text without its terminating zero.
#include "platform/format_text.h"

#include <cstdio>

namespace setup {

int FormatText(char* buffer, std::size_t size, const char* format, std::va_list arguments) {
  return _vsnprintf(buffer, size, format, arguments);
}

}  // namespace setup
