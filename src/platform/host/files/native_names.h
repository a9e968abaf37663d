// File names of the machine folder: ANSI names of the Windows side stored as UTF-8 on Linux, as
// Wine stores them, and compared without regard to case as Windows compares them.
#pragma once

#include <string>
#include <string_view>

#include "platform/host/ansi_code_page.h"

namespace setup {

// The name to store for an ANSI name.
[[nodiscard]] std::string NativeName(const AnsiCodePage& codePage, std::string_view ansi);

// The ANSI name of a stored name, as FindFirstFileA reports it: UTF-8 converted, a character
// the code page lacks as '?'; a name that is not UTF-8 is an older raw ANSI name and stays as it
// is.
[[nodiscard]] std::string AnsiName(const AnsiCodePage& codePage, std::string_view native);

// A stored name's characters with their case folded (Unicode simple case folding), for
// comparing names: equal folded names are one name on Windows.
[[nodiscard]] std::u32string FoldedName(const AnsiCodePage& codePage, std::string_view native);

}  // namespace setup
