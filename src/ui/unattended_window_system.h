// The front end of --unattended runs: no questions. Every dialog is answered as a user who
// accepts everything would (its default button), the directory page takes the given directory,
// message boxes take their default button and are written to an error stream as one line
// "caption: text", and timer ticks follow each other without waiting.
#pragma once

#include <optional>
#include <string>

#include "platform/text_encoding.h"
#include "platform/text_sink.h"
#include "ui/frontend_window_system.h"

namespace setup {

class UnattendedWindowSystem final : public FrontEndWindowSystem {
 public:
  // `directory`: the text to put into the directory page's edit box (--dir); nothing keeps
  // the proposed one. Message boxes go to `err` in the terminal's encoding; `encoding` must
  // outlive this object.
  UnattendedWindowSystem(std::string applicationTitle, std::optional<std::string> directory,
                         TextSink& err, const TextEncoding& encoding = AsciiTextEncoding());

  // Replaces the directory given at construction (an ANSI text).
  void SetDirectory(std::optional<std::string> directory) { directory_ = std::move(directory); }

  int MessageBox(WindowHandle owner, const std::string& text, const char* caption,
                 unsigned style) override;

  // "caption: text" with every line break (CR LF, LF or CR) as one blank.
  static std::string OneLine(const std::string& caption, const std::string& text);

 protected:
  void RunModalLoop(Window& window) override;

 private:
  std::optional<std::string> directory_;
  TextSink& err_;
  const TextEncoding& encoding_;
};

}  // namespace setup
