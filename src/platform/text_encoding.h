// How the front ends turn the system's texts, single-byte strings in the ANSI code page, into
// characters for the user's terminal, and characters the user types back into ANSI bytes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace setup {

class TextEncoding {
 public:
  virtual ~TextEncoding() = default;

  // The character each byte of an ANSI text stands for (MultiByteToWideChar).
  [[nodiscard]] virtual std::u32string Decode(std::string_view ansi) const = 0;
  // The ANSI byte of `character`; nothing when the code page has none (no best-fit guess).
  [[nodiscard]] virtual std::optional<char> Encode(char32_t character) const = 0;
  // The code page as messages name it, "Windows-1252".
  [[nodiscard]] virtual std::string CodePageName() const = 0;

  // `text` in the terminal's encoding (the locale's); a character it cannot hold as '?'.
  [[nodiscard]] virtual std::string ToTerminal(std::u32string_view text) const = 0;
  // Bytes typed on the terminal (or given on the command line) as characters; nothing when
  // they are not text in the terminal's encoding.
  [[nodiscard]] virtual std::optional<std::u32string> FromTerminal(
      std::string_view bytes) const = 0;

  // An ANSI text for the terminal.
  [[nodiscard]] std::string AnsiToTerminal(std::string_view ansi) const {
    return ToTerminal(Decode(ansi));
  }
};

// Why typed text could not become ANSI text.
struct EncodeFailure {
  bool invalid = false;  // the bytes are not text in the terminal's encoding
  char32_t refused = 0;  // else: the first character the code page cannot hold
};

// Terminal bytes as ANSI text, or why not.
[[nodiscard]] std::optional<std::string> TerminalToAnsi(const TextEncoding& encoding,
                                                        std::string_view bytes,
                                                        EncodeFailure* failure);

// The short message for a character the ANSI code page cannot hold.
[[nodiscard]] std::u32string RefusedCharacterMessage(const TextEncoding& encoding,
                                                     char32_t refused);

// For front ends that know no code page: ASCII passes, other bytes show as '?', and only ASCII
// can be typed; the terminal is taken to be UTF-8.
const TextEncoding& AsciiTextEncoding();

// UTF-8, without surrogates and overlong forms.
[[nodiscard]] std::string EncodeUtf8(std::u32string_view text);
[[nodiscard]] std::optional<std::u32string> DecodeUtf8(std::string_view bytes);
// ASCII text as characters.
[[nodiscard]] std::u32string Widen(std::string_view ascii);

}  // namespace setup
