// The terminal front end's modal loops.
#include "ui/terminal/terminal_window_system.h"

#include <algorithm>
#include <thread>

#include "platform/ascii_case.h"

namespace setup {
namespace {

// How often the dialog of a gone terminal is cancelled before it is closed outright.
constexpr int kCancelsWhenClosed = 3;

}  // namespace

TerminalWindowSystem::TerminalWindowSystem(std::string applicationTitle, Terminal& terminal,
                                           const TextEncoding& encoding)
    : FrontEndWindowSystem(std::move(applicationTitle)), terminal_(terminal), encoding_(encoding) {}

std::string TerminalWindowSystem::HelpText() const {
  // Esc presses the Cancel button, which some pages call otherwise ("Back").
  std::string escape = "cancel";
  if (boxes_.empty() && !windows().empty()) {
    const Window& innermost = *windows().back();
    const ControlTemplate* cancel =
        innermost.dialogTemplate == nullptr ? nullptr : innermost.dialogTemplate->Control(IDCANCEL);
    if (cancel != nullptr && cancel->kind == ControlKind::kPushButton) {
      std::string label;
      for (char c : innermost.Text(IDCANCEL)) {
        if (c != '&') label += c;
      }
      if (!label.empty()) escape = LowerCaseAscii(label);
    }
  }
  return " Enter: default button   Esc: " + escape +
         "   Tab/Shift+Tab: next/previous   PgUp/PgDn: scroll";
}

TerminalWindowSystem::~TerminalWindowSystem() = default;

DialogView* TerminalWindowSystem::ViewOf(WindowHandle window) {
  auto it = views_.find(static_cast<const Window*>(window));
  return it == views_.end() ? nullptr : it->second.get();
}

void TerminalWindowSystem::OnWindowOpened(Window& window) {
  if (window.dialogTemplate == nullptr) return;
  views_[&window] = std::make_unique<DialogView>(*window.dialogTemplate, encoding_);
}

void TerminalWindowSystem::OnWindowClosing(Window& window) { views_.erase(&window); }

ScreenBuffer TerminalWindowSystem::Render() {
  int width = std::max(1, terminal_.Width());
  int height = std::max(1, terminal_.Height());
  ScreenBuffer screen(width, height);
  screen.Fill(Rect{0, 0, width, height}, ' ', CellStyle::kDesktop);
  screen.Fill(Rect{0, height - 1, width, 1}, ' ', CellStyle::kHelp);
  if (notice_.empty()) {
    screen.Text(0, height - 1, encoding_.Decode(HelpText()), CellStyle::kHelp, width);
  } else {
    screen.Text(0, height - 1, U" " + notice_, CellStyle::kHelp, width);
  }
  // Outermost first, so the innermost dialog lies on top; a window that has not run its
  // initialisation yet has nothing to show.
  for (const std::unique_ptr<Window>& window : windows()) {
    if (!window->shown) continue;
    auto it = views_.find(window.get());
    if (it == views_.end()) continue;
    it->second->Layout(width, height);
    it->second->Render(*window, screen);
  }
  // Only the innermost window keeps its caret; a box on top hides it.
  if (!boxes_.empty()) screen.ShowCursor(-1, -1);
  for (const MessageBoxView* box : boxes_) box->Render(screen);
  return screen;
}

int TerminalWindowSystem::NextKey() {
  terminal_.Show(Render());
  std::optional<TimePoint> due = NextTimerDue();
  int timeoutMs = -1;
  if (due) {
    auto wait = std::chrono::ceil<std::chrono::milliseconds>(*due - Now()).count();
    timeoutMs = static_cast<int>(std::clamp<long long>(wait, 0, 60'000));
  }
  if (closed_) {
    // Nobody can answer any more; only the timers still move things on.
    if (due) {
      if (timeoutMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
      DeliverDueTimers(Now());
      return kKeyNone;
    }
    return kKeyClosed;
  }
  int key = terminal_.ReadKey(timeoutMs);
  if (key != kKeyNone && key != kKeyResize) notice_.clear();
  if (key == kKeyClosed) closed_ = true;
  if (key == kKeyNone) DeliverDueTimers(Now());
  return key;
}

void TerminalWindowSystem::RunModalLoop(Window& window) {
  int cancelsWhenClosed = 0;
  while (!window.ended) {
    int key = NextKey();
    if (window.ended || key == kKeyNone || key == kKeyResize) continue;
    if (key == kKeyClosed) {
      if (++cancelsWhenClosed > kCancelsWhenClosed) {
        EndDialog(window.handle(), IDCANCEL);
        break;
      }
      key = kKeyEscape;
    }
    DialogView* view = ViewOf(window.handle());
    if (view == nullptr) {
      // A dialog without a template still has the dialog manager's Enter and Esc.
      if (key == kKeyEnter) PressButton(window, IDOK);
      if (key == kKeyEscape) PressButton(window, IDCANCEL);
      continue;
    }
    DialogView::KeyResult result = view->HandleKey(key, window);
    if (result.refused != 0) notice_ = RefusedCharacterMessage(encoding_, result.refused);
    if (result.button != 0) PressButton(window, result.button);
  }
}

int TerminalWindowSystem::MessageBox(WindowHandle /*owner*/, const std::string& text,
                                     const char* caption, unsigned style) {
  MessageBoxView box(MessageBoxCaption(caption), text, style, encoding_);
  boxes_.push_back(&box);
  std::optional<int> answer;
  while (!answer) {
    int key = NextKey();
    if (key == kKeyNone || key == kKeyResize) continue;
    if (key == kKeyClosed) {
      // Nobody is there to answer: the box's own choice, as unattended runs take it.
      answer = MessageBoxButtons(style)[MessageBoxDefaultIndex(style)].id;
      break;
    }
    answer = box.HandleKey(key);
  }
  boxes_.pop_back();
  return *answer;
}

}  // namespace setup
