// The front end for runs without a terminal: plain lines on an output stream and one question
// per dialog or multi-button message box, answered by lines of an input stream.
//
// A dialog shows its caption, its texts and its buttons, then asks which button to press:
// a button's number, its name or the start of its name (letter case ignored), or an empty line
// for the default button; "<" is the Cancel button (Esc). A dialog with an editable field (the
// directory page) asks for the field instead: an empty line keeps the text shown, any other line
// replaces it; both then press the default button, and "<" presses Cancel (Back). A message box
// with one button is shown and needs no answer. The installation page asks nothing: its status
// line is printed each time it changes while its timer runs in real time.
// At the end of the input every dialog is cancelled and every box takes its default button.
// Texts go out in the terminal's encoding; a typed value is taken back into the ANSI code page,
// and one holding a character the code page lacks is refused and asked again.
#pragma once

#include <string>

#include "platform/text_encoding.h"
#include "platform/text_sink.h"
#include "ui/frontend_window_system.h"

namespace setup {

class LineWindowSystem final : public FrontEndWindowSystem {
 public:
  // `encoding` must outlive this object.
  LineWindowSystem(std::string applicationTitle, LineSource& in, TextSink& out,
                   const TextEncoding& encoding = AsciiTextEncoding());

  int MessageBox(WindowHandle owner, const std::string& text, const char* caption,
                 unsigned style) override;

  // Text as lines: CR LF, lone CR and lone LF all break the line.
  static std::string PlainLines(const std::string& text);

 protected:
  void RunModalLoop(Window& window) override;
  void OnItemTextChanged(Window& window, int itemId) override;

 private:
  struct Choice {
    int id;
    std::string label;
  };
  // Reads one answer line; false at the end of the input.
  bool ReadLine(std::string* line);
  // The choice an answer names; -1 when it names none, -2 when it is ambiguous.
  static int Match(const std::vector<Choice>& choices, const std::string& answer);
  void ShowDialog(const Window& window);
  void AskDialog(Window& window);
  void RunTimers(Window& window);
  // An ANSI text as the terminal shows it.
  std::string Shown(const std::string& ansi) const { return encoding_.AnsiToTerminal(ansi); }

  LineSource& in_;
  TextSink& out_;
  const TextEncoding& encoding_;
  bool endOfInput_ = false;
};

}  // namespace setup
