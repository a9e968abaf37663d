// Turning an author's text file into what the installer reads right: CR LF line ends and
// Windows-1252 characters.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace setup::pack {

// A character that Windows-1252 has no place for, where it stands in the original text.
struct UnmappableCharacter {
  int line = 0;
  int column = 0;          // in characters, from 1
  std::string character;   // its UTF-8 bytes
  unsigned codePoint = 0;  // its Unicode number
};

struct NormalisedText {
  std::string bytes;          // CR LF line ends, Windows-1252
  int bareLineFeeds = 0;      // lines that ended in a line feed alone and now end in CR LF
  int firstBareLineFeed = 0;  // the number of the first such line
  bool lineEndAdded = false;  // the last line had no line end and got CR LF
  bool convertedFromUtf8 = false;
  std::optional<UnmappableCharacter> unmappable;  // set when the conversion failed
};

// Normalises `text`. A text that is valid UTF-8 with characters beyond ASCII is converted to
// Windows-1252 (a leading byte order mark is dropped); any other text is taken to be
// Windows-1252 already. With `endLastLine`, a last line without a line feed gets CR LF (the
// installer ignores a script's last line without one).
[[nodiscard]] NormalisedText NormaliseText(std::string_view text, bool endLastLine);

// "U+2014 '—'" for messages.
[[nodiscard]] std::string DescribeCharacter(const UnmappableCharacter& character);

}  // namespace setup::pack
