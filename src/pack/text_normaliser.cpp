// Turning an author's text file into what the installer reads right: CR LF line ends and
// Windows-1252 characters.
#include "pack/text_normaliser.h"

#include <cstdio>

#include "platform/utf8_to_windows1252.h"

namespace setup::pack {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The length of the valid UTF-8 sequence at `at` and its code point; 0 when it is not valid
// (overlong forms, surrogates and numbers beyond U+10FFFF included).
std::size_t DecodeUtf8(std::string_view text, std::size_t at, unsigned* codePoint) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned lead = byte(at);
  if (lead < 0x80) {
    *codePoint = lead;
    return 1;
  }
  std::size_t length = 0;
  unsigned value = 0;
  unsigned minimum = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, value = lead & 0x1F, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, value = lead & 0x0F, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, value = lead & 0x07, minimum = 0x10000;
  } else {
    return 0;
  }
  if (text.size() - at < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    value = value << 6 | (byte(at + i) & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  *codePoint = value;
  return length;
}

// True when `text` is valid UTF-8 holding at least one character beyond ASCII.
bool IsUtf8BeyondAscii(std::string_view text) {
  bool beyond = false;
  for (std::size_t at = 0; at < text.size();) {
    unsigned codePoint = 0;
    const std::size_t length = DecodeUtf8(text, at, &codePoint);
    if (length == 0) return false;
    beyond = beyond || length > 1;
    at += length;
  }
  return beyond;
}

// Where the character at byte `offset` of UTF-8 `text` stands.
UnmappableCharacter Locate(std::string_view text, std::size_t offset) {
  UnmappableCharacter found;
  found.line = 1;
  found.column = 1;
  for (std::size_t at = 0; at < offset && at < text.size();) {
    unsigned ignored = 0;
    const std::size_t length = DecodeUtf8(text, at, &ignored);
    if (text[at] == '\n') {
      ++found.line;
      found.column = 1;
    } else {
      ++found.column;
    }
    at += length == 0 ? 1 : length;
  }
  if (offset < text.size()) {
    const std::size_t length = DecodeUtf8(text, offset, &found.codePoint);
    found.character = std::string(text.substr(offset, length == 0 ? 1 : length));
  }
  return found;
}

}  // namespace

NormalisedText NormaliseText(std::string_view text, bool endLastLine) {
  NormalisedText result;
  std::string converted;
  if (IsUtf8BeyondAscii(text)) {
    std::string_view body = text;
    std::size_t skipped = 0;
    if (body.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
      skipped = kByteOrderMark.size();
      body.remove_prefix(skipped);
    }
    std::size_t failedAt = 0;
    if (!Utf8ToWindows1252(body, &converted, &failedAt)) {
      result.unmappable = Locate(text, skipped + failedAt);
      return result;
    }
    result.convertedFromUtf8 = true;
    text = converted;
  }

  result.bytes.reserve(text.size() + text.size() / 16 + 2);
  int line = 1;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\n') {
      if (i == 0 || text[i - 1] != '\r') {
        result.bytes.push_back('\r');
        if (result.bareLineFeeds++ == 0) result.firstBareLineFeed = line;
      }
      ++line;
    }
    result.bytes.push_back(c);
  }
  if (endLastLine && !result.bytes.empty() && result.bytes.back() != '\n') {
    // A last line that ends in a CR alone only lacks its line feed.
    if (result.bytes.back() != '\r') result.bytes.push_back('\r');
    result.bytes.push_back('\n');
    result.lineEndAdded = true;
  }
  return result;
}

std::string DescribeCharacter(const UnmappableCharacter& character) {
  char number[16];
  std::snprintf(number, sizeof number, "U+%04X", character.codePoint);
  return std::string(number) + " '" + character.character + "'";
}

}  // namespace setup::pack
