// The host's TextEncoding: the machine's ANSI code page on one side, the terminal's encoding as
// the locale (LC_CTYPE) names it on the other.
#pragma once

#include "platform/host/ansi_code_page.h"
#include "platform/text_encoding.h"

namespace setup {

class HostTextEncoding final : public TextEncoding {
 public:
  // Takes the terminal's encoding from the environment (setlocale(LC_CTYPE, "")); the code page
  // is Windows-1252 until SetCodePage.
  HostTextEncoding();

  // The machine's code page, once its registry has been read.
  void SetCodePage(const AnsiCodePage& codePage) { codePage_ = codePage; }

  std::u32string Decode(std::string_view ansi) const override;
  std::optional<char> Encode(char32_t character) const override;
  std::string CodePageName() const override { return codePage_.Name(); }
  std::string ToTerminal(std::u32string_view text) const override;
  std::optional<std::u32string> FromTerminal(std::string_view bytes) const override;

 private:
  AnsiCodePage codePage_;
};

}  // namespace setup
