// Formatting by the C library.
#include "platform/format_text.h"

#include <cstdio>

namespace setup {

int FormatText(char* buffer, std::size_t size, const char* format, std::va_list arguments) {
  return std::vsnprintf(buffer, size, format, arguments);
}

}  // namespace setup
