// The front end for a person at the console.
#include "ui/terminal/interactive_front_end.h"

#include "platform/standard_text.h"
#include "ui/line_window_system.h"
#include "ui/terminal/terminal_window_system.h"

namespace setup {

std::unique_ptr<FrontEndWindowSystem> OpenInteractiveFrontEnd(const std::string& title,
                                                              const TextEncoding& encoding,
                                                              std::unique_ptr<Terminal>* terminal) {
  if (StandardStreamsAreTerminal()) *terminal = OpenCursesTerminal();
  if (*terminal) return std::make_unique<TerminalWindowSystem>(title, **terminal, encoding);
  return std::make_unique<LineWindowSystem>(title, StandardInput(), StandardOutput(), encoding);
}

}  // namespace setup
