// UTF-8, typed-text conversion and the ASCII-only encoding shared by the front ends.
#include "platform/text_encoding.h"

namespace setup {

std::string EncodeUtf8(std::u32string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char32_t c : text) {
    if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x110000) {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += "\xEF\xBF\xBD";
    }
  }
  return out;
}

std::optional<std::u32string> DecodeUtf8(std::string_view bytes) {
  std::u32string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    int length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || i + static_cast<std::size_t>(length) > bytes.size()) {
      return std::nullopt;
    }
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      c = (c << 6) | (next & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
      return std::nullopt;
    }
    out += c;
    i += static_cast<std::size_t>(length);
  }
  return out;
}

std::u32string Widen(std::string_view ascii) {
  std::u32string out;
  out.reserve(ascii.size());
  for (char c : ascii) out += static_cast<char32_t>(static_cast<unsigned char>(c));
  return out;
}

std::optional<std::string> TerminalToAnsi(const TextEncoding& encoding, std::string_view bytes,
                                          EncodeFailure* failure) {
  const std::optional<std::u32string> text = encoding.FromTerminal(bytes);
  if (!text) {
    if (failure != nullptr) *failure = EncodeFailure{true, 0};
    return std::nullopt;
  }
  std::string ansi;
  ansi.reserve(text->size());
  for (char32_t c : *text) {
    const std::optional<char> byte = encoding.Encode(c);
    if (!byte) {
      if (failure != nullptr) *failure = EncodeFailure{false, c};
      return std::nullopt;
    }
    ansi += *byte;
  }
  return ansi;
}

std::u32string RefusedCharacterMessage(const TextEncoding& encoding, char32_t refused) {
  return U"\"" + std::u32string(1, refused) + U"\" cannot be typed: the ANSI code page " +
         Widen(encoding.CodePageName()) + U" has no such character";
}

namespace {

class AsciiEncoding final : public TextEncoding {
 public:
  std::u32string Decode(std::string_view ansi) const override {
    std::u32string out = Widen(ansi);
    for (char32_t& c : out) {
      if (c >= 0x80) c = U'?';
    }
    return out;
  }
  std::optional<char> Encode(char32_t character) const override {
    if (character >= 0x80) return std::nullopt;
    return static_cast<char>(character);
  }
  std::string CodePageName() const override { return "ASCII"; }
  std::string ToTerminal(std::u32string_view text) const override { return EncodeUtf8(text); }
  std::optional<std::u32string> FromTerminal(std::string_view bytes) const override {
    return DecodeUtf8(bytes);
  }
};

}  // namespace

const TextEncoding& AsciiTextEncoding() {
  static const AsciiEncoding encoding;
  return encoding;
}

}  // namespace setup
