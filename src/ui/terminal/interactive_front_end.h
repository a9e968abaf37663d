// The front end for a person at the console: the full-screen wizard when both standard streams
// are a terminal, line prompts otherwise (a pipe, a file, a dumb terminal).
#pragma once

#include <memory>
#include <string>

#include "platform/terminal.h"
#include "platform/text_encoding.h"
#include "ui/frontend_window_system.h"

namespace setup {

// The terminal it draws on, when it opened one, goes to `terminal`, which must outlive the
// answer (reset the answer first); `encoding` must outlive both.
std::unique_ptr<FrontEndWindowSystem> OpenInteractiveFrontEnd(const std::string& title,
                                                              const TextEncoding& encoding,
                                                              std::unique_ptr<Terminal>* terminal);

}  // namespace setup
