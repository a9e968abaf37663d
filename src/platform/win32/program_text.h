// Texts a Windows program tells its starter: usage, versions, why it cannot start.
#pragma once

#include <string>

namespace setup {

// Writes `text` to standard output (standard error when `isError`) when the program has that
// stream, else shows it in a message box captioned `title`. Nothing for an empty text.
void ShowProgramText(const std::string& text, bool isError, const std::string& title);

}  // namespace setup
