// One dialog on the terminal: layout from its template, keys, and drawing.
#include "ui/terminal/dialog_view.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "platform/terminal.h"

namespace setup {
namespace {

int Round(double value) { return static_cast<int>(std::lround(value)); }

bool IsEditable(const ControlTemplate& control) {
  return control.kind == ControlKind::kEdit && !IsReadOnly(control);
}

// The first row of a one-line box; a bordered one gets brackets at its ends ("[    ]") and
// answers what lies between them.
Rect BracketedRow(const ControlTemplate& control, const Rect& rect, ScreenBuffer& screen) {
  if ((control.style & kWsBorder) == 0 || rect.width < 3)
    return Rect{rect.x, rect.y, rect.width, 1};
  screen.Put(rect.x, rect.y, '[', CellStyle::kWindow);
  screen.Put(rect.right() - 1, rect.y, ']', CellStyle::kWindow);
  return Rect{rect.x + 1, rect.y, rect.width - 2, 1};
}

}  // namespace

DialogView::DialogView(const DialogTemplate& dialogTemplate, const TextEncoding& encoding)
    : template_(dialogTemplate),
      encoding_(encoding),
      rects_(dialogTemplate.controls.size()),
      edits_(dialogTemplate.controls.size()) {
  // The system gives the focus to the first tab-stop control.
  for (std::size_t i = 0; i < template_.controls.size(); ++i) {
    if (IsTabStop(template_.controls[i])) {
      focus_ = static_cast<int>(i);
      break;
    }
  }
  Layout(80, 24);
}

void DialogView::Layout(int screenWidth, int screenHeight) {
  // Room for the frame (left, right), the caption bar, the bottom edge and the help row.
  int naturalWidth = (template_.cx + 3) / 4;
  int naturalHeight = (template_.cy + 7) / 8;
  int clientWidth = std::max(1, std::min(naturalWidth, screenWidth - 2));
  int clientHeight = std::max(1, std::min(naturalHeight, screenHeight - 3));
  // Dialog units to cells: four across and eight down to a cell, less where the screen is small.
  double sx = clientWidth < naturalWidth
                  ? static_cast<double>(clientWidth) / std::max(1, template_.cx)
                  : 0.25;
  double sy = clientHeight < naturalHeight
                  ? static_cast<double>(clientHeight) / std::max(1, template_.cy)
                  : 0.125;

  frame_.width = clientWidth + 2;
  frame_.height = clientHeight + 2;
  frame_.x = std::max(0, (screenWidth - frame_.width) / 2);
  frame_.y = std::max(0, (screenHeight - 1 - frame_.height) / 2);
  int clientX = frame_.x + 1;
  int clientY = frame_.y + 1;

  for (std::size_t i = 0; i < template_.controls.size(); ++i) {
    const ControlTemplate& control = template_.controls[i];
    int x0 = Round(control.x * sx);
    int x1 = std::max(x0 + 1, Round((control.x + control.cx) * sx));
    int y0 = static_cast<int>(std::floor(control.y * sy));
    int y1 = std::max(y0 + 1, Round((control.y + control.cy) * sy));
    x1 = std::min(x1, clientWidth);
    y1 = std::min(y1, clientHeight);
    rects_[i] = Rect{clientX + x0, clientY + y0, std::max(1, x1 - x0), std::max(1, y1 - y0)};
  }
}

int DialogView::IndexOf(int controlId) const {
  for (std::size_t i = 0; i < template_.controls.size(); ++i) {
    if (template_.controls[i].id == controlId) return static_cast<int>(i);
  }
  return -1;
}

Rect DialogView::ControlRect(int controlId) const {
  int index = IndexOf(controlId);
  return index < 0 ? Rect{} : rects_[static_cast<std::size_t>(index)];
}

int DialogView::FocusedId() const {
  return focus_ < 0 ? 0 : template_.controls[static_cast<std::size_t>(focus_)].id;
}

int DialogView::ScrollTop(int controlId) const {
  int index = IndexOf(controlId);
  return index < 0 ? 0 : edits_[static_cast<std::size_t>(index)].top;
}

int DialogView::Caret(int controlId) const {
  int index = IndexOf(controlId);
  return index < 0 ? 0 : edits_[static_cast<std::size_t>(index)].caret;
}

Rect DialogView::TextArea(std::size_t index) const {
  Rect area = rects_[index];
  const ControlTemplate& control = template_.controls[index];
  if ((control.style & kWsBorder) != 0 && area.height >= 3 && area.width >= 3) {
    area = Rect{area.x + 1, area.y + 1, area.width - 2, area.height - 2};
  }
  if ((control.style & kWsVScroll) != 0 && area.width >= 2) area.width -= 1;
  return area;
}

int DialogView::LineCount(std::size_t index, const Window& window) const {
  return static_cast<int>(
      WrapText(encoding_.Decode(window.Text(template_.controls[index].id)), TextArea(index).width)
          .size());
}

void DialogView::Scroll(std::size_t index, const Window& window, int delta) {
  int maxTop = std::max(0, LineCount(index, window) - TextArea(index).height);
  edits_[index].top = std::clamp(edits_[index].top + delta, 0, maxTop);
}

void DialogView::SetFocus(int index) {
  focus_ = index;
  if (index < 0) return;
  const ControlTemplate& control = template_.controls[static_cast<std::size_t>(index)];
  if (IsEditable(control)) {
    // As in Windows, tabbing into an edit box selects its whole text.
    EditState& edit = edits_[static_cast<std::size_t>(index)];
    edit.allSelected = true;
    edit.caret = 1 << 30;  // clamped to the text's end when used
  }
}

void DialogView::MoveFocus(int step, bool buttonsOnly) {
  int count = static_cast<int>(template_.controls.size());
  if (count == 0) return;
  int start = focus_ < 0 ? (step > 0 ? -1 : 0) : focus_;
  for (int n = 1; n <= count; ++n) {
    int candidate = ((start + step * n) % count + count) % count;
    const ControlTemplate& control = template_.controls[static_cast<std::size_t>(candidate)];
    bool eligible = buttonsOnly ? control.kind == ControlKind::kPushButton : IsTabStop(control);
    if (eligible) {
      SetFocus(candidate);
      return;
    }
  }
}

int DialogView::CurrentDefault() const {
  if (focus_ >= 0) {
    const ControlTemplate& focused = template_.controls[static_cast<std::size_t>(focus_)];
    if (focused.kind == ControlKind::kPushButton) return focused.id;
  }
  for (const ControlTemplate& control : template_.controls) {
    if (IsDefaultButton(control)) return control.id;
  }
  return IDOK;
}

bool DialogView::EditKey(std::size_t index, int key, Window& window, char32_t* refused) {
  const ControlTemplate& control = template_.controls[index];
  EditState& edit = edits_[index];
  std::string& text = window.itemTexts[control.id];
  int length = static_cast<int>(text.size());
  edit.caret = std::clamp(edit.caret, 0, length);
  bool printable = IsCharacterKey(key);
  std::optional<char> byte;
  if (printable) {
    // Refused before anything changes: the selection stays, as nothing was typed.
    byte = encoding_.Encode(static_cast<char32_t>(key));
    if (!byte) {
      *refused = static_cast<char32_t>(key);
      return true;
    }
  }
  if (printable || key == kKeyBackspace || key == kKeyDelete) {
    if (edit.allSelected) {
      text.clear();
      edit.caret = 0;
      edit.allSelected = false;
      if (!printable) return true;
    }
  }
  if (printable) {
    text.insert(static_cast<std::size_t>(edit.caret), 1, *byte);
    ++edit.caret;
    return true;
  }
  switch (key) {
    case kKeyBackspace:
      if (edit.caret > 0) {
        text.erase(static_cast<std::size_t>(edit.caret - 1), 1);
        --edit.caret;
      }
      return true;
    case kKeyDelete:
      if (edit.caret < length) text.erase(static_cast<std::size_t>(edit.caret), 1);
      return true;
    case kKeyLeft:
      edit.caret = edit.allSelected ? 0 : std::max(0, edit.caret - 1);
      edit.allSelected = false;
      return true;
    case kKeyRight:
      edit.caret = std::min(length, edit.caret + 1);
      edit.allSelected = false;
      return true;
    case kKeyHome:
      edit.caret = 0;
      edit.allSelected = false;
      return true;
    case kKeyEnd:
      edit.caret = length;
      edit.allSelected = false;
      return true;
    default:
      return false;
  }
}

int DialogView::FieldWidth(std::size_t index) const {
  const Rect& rect = rects_[index];
  bool bracketed = (template_.controls[index].style & kWsBorder) != 0 && rect.width >= 3;
  return bracketed ? rect.width - 2 : rect.width;
}

void DialogView::KeepCaretVisible(std::size_t index, const Window& window) {
  EditState& edit = edits_[index];
  int length = static_cast<int>(window.Text(template_.controls[index].id).size());
  edit.caret = std::clamp(edit.caret, 0, length);
  edit.scroll =
      std::clamp(edit.scroll, std::max(0, edit.caret - FieldWidth(index) + 1), edit.caret);
}

DialogView::KeyResult DialogView::HandleKey(int key, Window& window) {
  switch (key) {
    case kKeyEscape:
      return {true, IDCANCEL};
    case kKeyEnter:
      return {true, CurrentDefault()};
    case kKeyTab:
    case kKeyBackTab:
      MoveFocus(key == kKeyTab ? +1 : -1, false);
      if (focus_ >= 0 && IsEditable(template_.controls[static_cast<std::size_t>(focus_)])) {
        KeepCaretVisible(static_cast<std::size_t>(focus_), window);
      }
      return {true, 0};
    default:
      break;
  }

  const ControlTemplate* focused =
      focus_ < 0 ? nullptr : &template_.controls[static_cast<std::size_t>(focus_)];
  auto focusIndex = static_cast<std::size_t>(focus_);

  if (focused != nullptr && focused->kind == ControlKind::kPushButton) {
    if (key == ' ') return {true, focused->id};
    if (key == kKeyLeft || key == kKeyUp) {
      MoveFocus(-1, true);
      return {true, 0};
    }
    if (key == kKeyRight || key == kKeyDown) {
      MoveFocus(+1, true);
      return {true, 0};
    }
  }

  char32_t refused = 0;
  if (focused != nullptr && IsEditable(*focused) && EditKey(focusIndex, key, window, &refused)) {
    KeepCaretVisible(focusIndex, window);
    return {true, 0, refused};
  }

  // Scrolling: the focused multi-line box, else (PgUp/PgDn) the first one of the dialog.
  std::size_t scrolled = template_.controls.size();
  if (focused != nullptr && focused->kind == ControlKind::kEdit && IsMultiLine(*focused)) {
    scrolled = focusIndex;
  } else if (key == kKeyPageUp || key == kKeyPageDown) {
    for (std::size_t i = 0; i < template_.controls.size(); ++i) {
      const ControlTemplate& control = template_.controls[i];
      if (control.kind == ControlKind::kEdit && IsMultiLine(control)) {
        scrolled = i;
        break;
      }
    }
  }
  if (scrolled == template_.controls.size()) return {false, 0};
  int page = std::max(1, TextArea(scrolled).height - 1);
  switch (key) {
    case kKeyUp:
      Scroll(scrolled, window, -1);
      return {true, 0};
    case kKeyDown:
      Scroll(scrolled, window, +1);
      return {true, 0};
    case kKeyPageUp:
      Scroll(scrolled, window, -page);
      return {true, 0};
    case kKeyPageDown:
      Scroll(scrolled, window, +page);
      return {true, 0};
    case kKeyHome:
      Scroll(scrolled, window, -(1 << 30));
      return {true, 0};
    case kKeyEnd:
      Scroll(scrolled, window, 1 << 30);
      return {true, 0};
    default:
      return {false, 0};
  }
}

void DialogView::Render(const Window& window, ScreenBuffer& screen) const {
  screen.Fill(frame_, ' ', CellStyle::kWindow);
  screen.Frame(frame_, CellStyle::kWindow);
  // The caption bar takes the top edge.
  Rect bar{frame_.x, frame_.y, frame_.width, 1};
  screen.Fill(bar, ' ', CellStyle::kTitle);
  screen.Text(bar.x + 1, bar.y, encoding_.Decode(window.caption), CellStyle::kTitle, bar.width - 2);
  for (std::size_t i = 0; i < template_.controls.size(); ++i) {
    switch (template_.controls[i].kind) {
      case ControlKind::kPushButton:
        RenderButton(i, window, screen);
        break;
      case ControlKind::kEdit:
        RenderEdit(i, window, screen);
        break;
      case ControlKind::kStatic:
        RenderStatic(i, window, screen);
        break;
      case ControlKind::kIcon:
        RenderIcon(i, screen);
        break;
      case ControlKind::kProgress:
        RenderProgress(i, window, screen);
        break;
    }
  }
}

void DialogView::RenderButton(std::size_t index, const Window& window, ScreenBuffer& screen) const {
  const ControlTemplate& control = template_.controls[index];
  const Rect& rect = rects_[index];
  std::u32string label;
  for (char32_t c : encoding_.Decode(window.Text(control.id))) {
    if (c != U'&') label += DisplayChar(c);
  }
  bool focused = static_cast<int>(index) == focus_;
  // "[ OK ]", or "> OK <" with the focus; narrower forms when the button is small.
  std::u32string face = focused ? U"> " + label + U" <" : U"[ " + label + U" ]";
  if (static_cast<int>(face.size()) > rect.width) {
    face = (focused ? U">" : U"[") + label + (focused ? U"<" : U"]");
  }
  if (static_cast<int>(face.size()) > rect.width) face = label;
  CellStyle style = focused                          ? CellStyle::kFocus
                    : CurrentDefault() == control.id ? CellStyle::kDefaultButton
                                                     : CellStyle::kButton;
  int width = std::min(static_cast<int>(face.size()), rect.width);
  int x = rect.x + (rect.width - width) / 2;
  screen.Text(x, rect.y, face, style, width);
}

void DialogView::RenderEdit(std::size_t index, const Window& window, ScreenBuffer& screen) const {
  const ControlTemplate& control = template_.controls[index];
  const EditState& edit = edits_[index];
  const std::string& text = window.Text(control.id);
  bool focused = static_cast<int>(index) == focus_;
  const Rect& rect = rects_[index];

  if (IsMultiLine(control)) {
    Rect area = TextArea(index);
    bool framed = area.y != rect.y;
    if (framed) screen.Frame(rect, focused ? CellStyle::kFocus : CellStyle::kWindow);
    screen.Fill(area, ' ', CellStyle::kField);
    std::vector<std::u32string> lines = WrapText(encoding_.Decode(text), area.width);
    for (int row = 0; row < area.height; ++row) {
      auto line = static_cast<std::size_t>(edit.top + row);
      if (line >= lines.size()) break;
      screen.Text(area.x, area.y + row, lines[line], CellStyle::kField, area.width);
    }
    // Without a scroll bar nothing else says that the text goes on below the box.
    bool more = static_cast<int>(lines.size()) > edit.top + area.height;
    if ((control.style & kWsVScroll) == 0 && framed && more) {
      std::string_view marker = " more: PgDn ";
      int width = static_cast<int>(marker.size());
      if (width <= rect.width - 2) {
        screen.Text(rect.right() - 1 - width, rect.bottom() - 1, marker,
                    focused ? CellStyle::kFocus : CellStyle::kWindow);
      }
    }
    if ((control.style & kWsVScroll) != 0) {
      int x = area.right();
      int total = static_cast<int>(lines.size());
      int maxTop = std::max(0, total - area.height);
      for (int row = 0; row < area.height; ++row) {
        screen.Put(x, area.y + row, ':', CellStyle::kWindow);
      }
      if (area.height >= 3) {
        screen.Put(x, area.y, '^', CellStyle::kButton);
        screen.Put(x, area.bottom() - 1, 'v', CellStyle::kButton);
        int track = area.height - 2;
        int thumb = maxTop == 0 ? 0 : (edit.top * (track - 1) + maxTop / 2) / maxTop;
        screen.Put(x, area.y + 1 + thumb, '#', CellStyle::kButton);
      }
    }
    return;
  }

  // Single line: "[text   ]" on the box's first row, scrolled so that the caret shows.
  const Rect row = BracketedRow(control, rect, screen);
  const int x = row.x;
  const int width = row.width;
  screen.Fill(Rect{x, rect.y, width, 1}, ' ', CellStyle::kField);
  int length = static_cast<int>(text.size());
  int caret = std::clamp(edit.caret, 0, length);
  int first = 0;
  if (IsEditable(control) && focused) {
    // Keep the caret inside the box (automatic horizontal scroll).
    first = std::clamp(edit.scroll, std::max(0, caret - width + 1), caret);
  }
  const std::u32string characters = encoding_.Decode(text);
  for (int i = 0; i < width && first + i < length; ++i) {
    bool selected = focused && edit.allSelected && IsEditable(control);
    screen.Put(x + i, rect.y, DisplayChar(characters[static_cast<std::size_t>(first + i)]),
               selected ? CellStyle::kSelection : CellStyle::kField);
  }
  if (focused && IsEditable(control)) screen.ShowCursor(x + caret - first, rect.y);
}

void DialogView::RenderStatic(std::size_t index, const Window& window, ScreenBuffer& screen) const {
  const ControlTemplate& control = template_.controls[index];
  const Rect& rect = rects_[index];
  // A static without an id keeps its template text; one with an id may have been given another.
  std::string text = control.id == kNoControlId ? control.text : window.Text(control.id);
  std::vector<std::u32string> lines = WrapText(encoding_.Decode(text), rect.width);
  for (int row = 0; row < rect.height && row < static_cast<int>(lines.size()); ++row) {
    screen.Text(rect.x, rect.y + row, lines[static_cast<std::size_t>(row)], CellStyle::kWindow,
                rect.width);
  }
}

void DialogView::RenderIcon(std::size_t index, ScreenBuffer& screen) const {
  const ControlTemplate& control = template_.controls[index];
  const Rect& rect = rects_[index];
  if ((control.style & kSsSunken) != 0) screen.Frame(rect, CellStyle::kWindow);
  // Only icon 128, the program's, exists; a frame naming another stays empty.
  if (std::string(control.text) != "128") return;
  Rect inside = rect.height >= 3 && rect.width >= 3
                    ? Rect{rect.x + 1, rect.y + 1, rect.width - 2, rect.height - 2}
                    : rect;
  screen.Fill(inside, ' ', CellStyle::kTitle);
  screen.Text(inside.x + (inside.width - 1) / 2, inside.y + (inside.height - 1) / 2, "S",
              CellStyle::kTitle, 1);
}

void DialogView::RenderProgress(std::size_t index, const Window& window,
                                ScreenBuffer& screen) const {
  const ControlTemplate& control = template_.controls[index];
  const Rect& rect = rects_[index];
  const Rect row = BracketedRow(control, rect, screen);
  const int x = row.x;
  const int width = row.width;
  long long span = static_cast<long long>(window.progressMax()) - window.progressMin();
  long long done = static_cast<long long>(window.progressPos) - window.progressMin();
  int filled =
      span <= 0
          ? 0
          : static_cast<int>(std::clamp(done * width / span, 0LL, static_cast<long long>(width)));
  for (int i = 0; i < width; ++i) {
    if (i < filled) {
      screen.Put(x + i, rect.y, '#', CellStyle::kProgress);
    } else {
      screen.Put(x + i, rect.y, ' ', CellStyle::kField);
    }
  }
}

}  // namespace setup
