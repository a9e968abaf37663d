// How the full-screen interface shows one dialog: its template scaled onto the terminal, the
// keyboard focus, the scroll and caret positions of its edit boxes; a key handler that answers
// what the dialog manager should do, and a pure render into a ScreenBuffer.
#pragma once

#include <vector>

#include "platform/screen_buffer.h"
#include "platform/text_encoding.h"
#include "ui/dialog_templates.h"
#include "ui/frontend_window_system.h"

namespace setup {

class DialogView {
 public:
  using Window = FrontEndWindowSystem::Window;

  // The window's texts are ANSI text in `encoding`'s code page; `encoding` must outlive the view.
  explicit DialogView(const DialogTemplate& dialogTemplate,
                      const TextEncoding& encoding = AsciiTextEncoding());

  // Places the window centred on a screen of that size, above a help row, scaled down where
  // the screen is smaller than the template (a dialog unit is a quarter of a cell across and an
  // eighth down).
  void Layout(int screenWidth, int screenHeight);
  // The window (caption bar and frame included) and a control's place, in screen cells.
  const Rect& frame() const { return frame_; }
  Rect ControlRect(int controlId) const;

  struct KeyResult {
    bool handled = false;
    int button = 0;        // the button to press: IDOK, IDCANCEL or another id; 0 for none
    char32_t refused = 0;  // a typed character the ANSI code page cannot hold, not inserted
  };
  // Enter presses the focused push button, else the default one (IDOK when there is none); Esc
  // presses IDCANCEL; Tab and Shift+Tab move the focus; arrows move between buttons or scroll
  // and move the caret in the focused edit box; PgUp/PgDn scroll the text. Typing edits a
  // focused editable box, whose text is the window's item text: a character becomes its byte in
  // the ANSI code page, and one the code page lacks is refused.
  KeyResult HandleKey(int key, Window& window);

  void Render(const Window& window, ScreenBuffer& screen) const;

  // Index of the focused control in the template, -1 when none has the focus.
  int focus() const { return focus_; }
  int FocusedId() const;
  int ScrollTop(int controlId) const;
  int Caret(int controlId) const;

 private:
  struct EditState {
    int top = 0;     // first line shown (multi-line boxes)
    int caret = 0;   // insertion point (editable boxes)
    int scroll = 0;  // first character shown (single-line boxes)
    bool allSelected = false;
  };

  int IndexOf(int controlId) const;
  Rect TextArea(std::size_t index) const;  // where a multi-line box's text goes
  int LineCount(std::size_t index, const Window& window) const;
  void Scroll(std::size_t index, const Window& window, int delta);
  void MoveFocus(int step, bool buttonsOnly);
  void SetFocus(int index);
  bool EditKey(std::size_t index, int key, Window& window, char32_t* refused);
  int FieldWidth(std::size_t index) const;
  void KeepCaretVisible(std::size_t index, const Window& window);
  // The button that Enter would press and that is drawn as the default.
  int CurrentDefault() const;

  void RenderButton(std::size_t index, const Window& window, ScreenBuffer& screen) const;
  void RenderEdit(std::size_t index, const Window& window, ScreenBuffer& screen) const;
  void RenderStatic(std::size_t index, const Window& window, ScreenBuffer& screen) const;
  void RenderIcon(std::size_t index, ScreenBuffer& screen) const;
  void RenderProgress(std::size_t index, const Window& window, ScreenBuffer& screen) const;

  const DialogTemplate& template_;
  const TextEncoding& encoding_;
  Rect frame_;
  std::vector<Rect> rects_;
  std::vector<EditState> edits_;
  int focus_ = -1;
};

}  // namespace setup
