// Converting UTF-8 text into Windows-1252 with MultiByteToWideChar and WideCharToMultiByte.
#include "platform/utf8_to_windows1252.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "platform/win32/windows_headers.h"

namespace setup {

namespace {

constexpr UINT kWindows1252 = 1252;

// The UTF-16 form of valid UTF-8; false for invalid UTF-8.
bool ToUtf16(std::string_view utf8, std::vector<wchar_t>* wide) {
  if (utf8.empty()) return true;
  const int length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                           static_cast<int>(utf8.size()), nullptr, 0);
  if (length <= 0) return false;
  wide->resize(static_cast<std::size_t>(length));
  return ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                               static_cast<int>(utf8.size()), wide->data(), length) == length;
}

// Windows-1252 bytes for UTF-16 units; false when one has no byte of its own.
bool ToAnsi(const wchar_t* wide, int count, std::string* ansi) {
  ansi->clear();
  if (count == 0) return true;
  const int length = ::WideCharToMultiByte(kWindows1252, WC_NO_BEST_FIT_CHARS, wide, count, nullptr,
                                           0, nullptr, nullptr);
  if (length <= 0) return false;
  ansi->resize(static_cast<std::size_t>(length));
  BOOL usedDefault = FALSE;
  const int written = ::WideCharToMultiByte(kWindows1252, WC_NO_BEST_FIT_CHARS, wide, count,
                                            ansi->data(), length, nullptr, &usedDefault);
  return written == length && usedDefault == FALSE;
}

// The length of the UTF-8 sequence that begins with `lead`.
std::size_t SequenceLength(unsigned char lead) {
  if (lead < 0xC0) return 1;
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  return 4;
}

}  // namespace

bool Utf8ToWindows1252(std::string_view utf8, std::string* ansi, std::size_t* failedAt) {
  *failedAt = 0;
  if (utf8.size() > static_cast<std::size_t>(INT_MAX)) return false;
  std::vector<wchar_t> wide;
  if (ToUtf16(utf8, &wide) && ToAnsi(wide.data(), static_cast<int>(wide.size()), ansi)) {
    return true;
  }
  // Find the first character that does not convert, one character at a time.
  std::string one;
  for (std::size_t at = 0; at < utf8.size();) {
    const std::size_t length =
        std::min(SequenceLength(static_cast<unsigned char>(utf8[at])), utf8.size() - at);
    std::vector<wchar_t> unit;
    if (!ToUtf16(utf8.substr(at, length), &unit) ||
        !ToAnsi(unit.data(), static_cast<int>(unit.size()), &one)) {
      *failedAt = at;
      return false;
    }
    at += length;
  }
  return false;
}

}  // namespace setup
