// Message boxes on the terminal.
#include "ui/terminal/message_box_view.h"

#include <algorithm>

#include "platform/ascii_case.h"
#include "platform/terminal.h"

namespace setup {
namespace {

// The picture MessageBoxA puts beside the text, by MB_ICON* value.
std::string IconText(unsigned style) {
  switch (style & MB_ICONMASK) {
    case MB_ICONERROR:
      return "(X)";
    case MB_ICONQUESTION:
      return "(?)";
    case MB_ICONWARNING:
      return "(!)";
    case MB_ICONINFORMATION:
      return "(i)";
    default:
      return "";
  }
}

// The text's lines: CR LF, LF and CR all break, as in a message box.
std::string WithCrLf(const std::string& text) {
  std::string result;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      result += "\r\n";
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      continue;
    }
    result += text[i];
  }
  return result;
}

}  // namespace

MessageBoxView::MessageBoxView(std::string caption, std::string text, unsigned style,
                               const TextEncoding& encoding)
    : caption_(std::move(caption)),
      text_(std::move(text)),
      style_(style),
      encoding_(encoding),
      buttons_(MessageBoxButtons(style)),
      focus_(MessageBoxDefaultIndex(style)) {}

std::optional<int> MessageBoxView::HandleKey(int key) {
  switch (key) {
    case kKeyEnter:
    case ' ':
      return buttons_[focus_].id;
    case kKeyEscape:
      return MessageBoxEscapeAnswer(style_);
    case kKeyTab:
    case kKeyRight:
    case kKeyDown:
      focus_ = (focus_ + 1) % buttons_.size();
      return std::nullopt;
    case kKeyBackTab:
    case kKeyLeft:
    case kKeyUp:
      focus_ = (focus_ + buttons_.size() - 1) % buttons_.size();
      return std::nullopt;
    default:
      break;
  }
  if (key > 0 && key < 128) {
    const char letter = LowerAscii(static_cast<char>(key));
    for (const MessageBoxButton& button : buttons_) {
      if (LowerAscii(button.label[0]) == letter) return button.id;
    }
  }
  return std::nullopt;
}

void MessageBoxView::Render(ScreenBuffer& screen) const {
  std::string icon = IconText(style_);
  int iconWidth = icon.empty() ? 0 : static_cast<int>(icon.size()) + 2;
  int maxText = std::max(10, std::min(70, screen.width() - 6 - iconWidth));
  std::vector<std::u32string> lines = WrapText(encoding_.Decode(WithCrLf(text_)), maxText);
  const std::u32string caption = encoding_.Decode(caption_);
  int textWidth = 0;
  for (const std::u32string& line : lines)
    textWidth = std::max(textWidth, static_cast<int>(line.size()));

  int buttonWidth = 8;
  for (const MessageBoxButton& button : buttons_) {
    buttonWidth = std::max(buttonWidth, static_cast<int>(std::string(button.label).size()) + 4);
  }
  int buttonsWidth = static_cast<int>(buttons_.size()) * (buttonWidth + 2) - 2;
  int width =
      std::max({static_cast<int>(caption.size()) + 4, iconWidth + textWidth + 4, buttonsWidth + 4});
  width = std::min(width, screen.width());
  int height = std::min(static_cast<int>(lines.size()) + 5, std::max(5, screen.height() - 1));
  Rect frame{std::max(0, (screen.width() - width) / 2),
             std::max(0, (screen.height() - 1 - height) / 2), width, height};

  screen.Fill(frame, ' ', CellStyle::kWindow);
  screen.Frame(frame, CellStyle::kWindow);
  screen.Fill(Rect{frame.x, frame.y, frame.width, 1}, ' ', CellStyle::kTitle);
  screen.Text(frame.x + 1, frame.y, caption, CellStyle::kTitle, frame.width - 2);

  int textX = frame.x + 2;
  if (!icon.empty()) {
    screen.Text(textX, frame.y + 2, icon, CellStyle::kDefaultButton);
    textX += iconWidth;
  }
  int textRows = height - 5;
  for (int row = 0; row < textRows && row < static_cast<int>(lines.size()); ++row) {
    screen.Text(textX, frame.y + 2 + row, lines[static_cast<std::size_t>(row)], CellStyle::kWindow,
                frame.right() - 2 - textX);
  }

  int x = frame.x + (frame.width - buttonsWidth) / 2;
  int y = frame.bottom() - 2;
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    std::string label = buttons_[i].label;
    bool focused = i == focus_;
    std::string face = focused ? "> " + label + " <" : "[ " + label + " ]";
    int pad = buttonWidth - static_cast<int>(face.size());
    face = std::string(static_cast<std::size_t>(pad / 2), ' ') + face +
           std::string(static_cast<std::size_t>(pad - pad / 2), ' ');
    screen.Text(x, y, face, focused ? CellStyle::kFocus : CellStyle::kButton);
    x += buttonWidth + 2;
  }
}

}  // namespace setup
