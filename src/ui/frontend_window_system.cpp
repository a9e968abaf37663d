// Window bookkeeping shared by the terminal, line-prompt and unattended front ends.
#include "ui/frontend_window_system.h"

#include <algorithm>

namespace setup {

std::vector<MessageBoxButton> MessageBoxButtons(unsigned style) {
  switch (style & MB_TYPEMASK) {
    case 1:  // MB_OKCANCEL
      return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case 2:  // MB_ABORTRETRYIGNORE
      return {{IDABORT, "Abort"}, {IDRETRY, "Retry"}, {IDIGNORE, "Ignore"}};
    case 3:  // MB_YESNOCANCEL
      return {{IDYES, "Yes"}, {IDNO, "No"}, {IDCANCEL, "Cancel"}};
    case 4:  // MB_YESNO
      return {{IDYES, "Yes"}, {IDNO, "No"}};
    case 5:  // MB_RETRYCANCEL
      return {{IDRETRY, "Retry"}, {IDCANCEL, "Cancel"}};
    default:
      return {{IDOK, "OK"}};
  }
}

std::size_t MessageBoxDefaultIndex(unsigned style) {
  std::size_t index = (style >> 8) & 0xFu;  // MB_DEFBUTTON2 is 0x100, MB_DEFBUTTON3 0x200
  std::size_t count = MessageBoxButtons(style).size();
  return index < count ? index : 0;
}

std::optional<int> MessageBoxEscapeAnswer(unsigned style) {
  std::vector<MessageBoxButton> buttons = MessageBoxButtons(style);
  if (buttons.size() == 1) return buttons[0].id;
  for (const MessageBoxButton& button : buttons) {
    if (button.id == IDCANCEL) return IDCANCEL;
  }
  return std::nullopt;
}

std::string MessageBoxCaption(const char* caption) {
  return caption != nullptr ? caption : "Error";
}

const std::string& FrontEndWindowSystem::Window::Text(int itemId) const {
  static const std::string kEmpty;
  auto it = itemTexts.find(itemId);
  return it == itemTexts.end() ? kEmpty : it->second;
}

FrontEndWindowSystem::FrontEndWindowSystem(std::string applicationTitle)
    : applicationTitle_(std::move(applicationTitle)) {}

FrontEndWindowSystem::~FrontEndWindowSystem() = default;

bool FrontEndWindowSystem::IsOpen(const Window* window) const {
  return std::any_of(
      windows_.begin(), windows_.end(),
      [window](const std::unique_ptr<Window>& open) { return open.get() == window; });
}

FrontEndWindowSystem::Window* FrontEndWindowSystem::Find(WindowHandle window) {
  for (const std::unique_ptr<Window>& open : windows_) {
    if (open.get() == window) return open.get();
  }
  return nullptr;
}

int FrontEndWindowSystem::RunModalDialog(Dialog& dialog, WindowHandle /*parent*/) {
  auto owned = std::make_unique<Window>();
  Window& window = *owned;
  window.dialog = &dialog;
  window.dialogTemplate = FindDialogTemplate(dialog.TemplateId());
  if (window.dialogTemplate != nullptr) {
    window.caption = window.dialogTemplate->caption;
    for (const ControlTemplate& control : window.dialogTemplate->controls) {
      if (control.id != kNoControlId) window.itemTexts[control.id] = control.text;
    }
  }
  windows_.push_back(std::move(owned));
  dialog.m_hWnd = window.handle();

  dialog.OnInitDialog();
  if (!window.ended) {
    window.shown = true;
    OnWindowOpened(window);
    RunModalLoop(window);
  }
  OnWindowClosing(window);
  dialog.OnDestroyWindow();
  dialog.m_hWnd = nullptr;
  int result = window.result;
  std::erase_if(windows_,
                [&window](const std::unique_ptr<Window>& open) { return open.get() == &window; });
  return result;
}

void FrontEndWindowSystem::EndDialog(WindowHandle handle, int result) {
  Window* window = Find(handle);
  if (window == nullptr || window->ended) return;
  window->ended = true;
  window->result = result;
}

void FrontEndWindowSystem::SetWindowText(WindowHandle handle, const std::string& text) {
  if (Window* window = Find(handle)) window->caption = text;
}

void FrontEndWindowSystem::SetDlgItemText(WindowHandle handle, int itemId,
                                          const std::string& text) {
  Window* window = Find(handle);
  if (window == nullptr) return;
  window->itemTexts[itemId] = text;
  OnItemTextChanged(*window, itemId);
}

std::string FrontEndWindowSystem::GetDlgItemText(WindowHandle handle, int itemId) {
  Window* window = Find(handle);
  return window == nullptr ? std::string() : window->Text(itemId);
}

unsigned FrontEndWindowSystem::SetTimer(WindowHandle handle, unsigned id, unsigned periodMs) {
  Window* window = Find(handle);
  if (window == nullptr) return 0;
  // As USER does, a period of 0 still fires; SetTimer with an existing id replaces that timer.
  TimePoint due = Now() + std::chrono::milliseconds(periodMs);
  for (Timer& timer : window->timers) {
    if (timer.id == id) {
      timer = Timer{id, periodMs, due};
      return id == 0 ? 1 : id;
    }
  }
  window->timers.push_back(Timer{id, periodMs, due});
  return id == 0 ? 1 : id;
}

void FrontEndWindowSystem::KillTimer(WindowHandle handle, unsigned id) {
  if (Window* window = Find(handle)) {
    std::erase_if(window->timers, [id](const Timer& timer) { return timer.id == id; });
  }
}

void FrontEndWindowSystem::SetProgressRange(WindowHandle handle, int /*itemId*/,
                                            std::uint32_t lParam) {
  Window* window = Find(handle);
  if (window == nullptr) return;
  window->progressRange = lParam;
  window->progressPos = std::clamp(window->progressPos, window->progressMin(),
                                   std::max(window->progressMin(), window->progressMax()));
  OnProgressChanged(*window);
}

void FrontEndWindowSystem::SetProgressPos(WindowHandle handle, int /*itemId*/, int position) {
  Window* window = Find(handle);
  if (window == nullptr) return;
  // The control keeps its position inside its range.
  window->progressPos = std::clamp(position, window->progressMin(),
                                   std::max(window->progressMin(), window->progressMax()));
  OnProgressChanged(*window);
}

void FrontEndWindowSystem::PressButton(Window& window, int buttonId) {
  if (window.ended) return;
  if (buttonId == IDOK) window.dialog->OnOK();
  if (buttonId == IDCANCEL) window.dialog->OnCancel();
}

int FrontEndWindowSystem::DeliverDueTimers(TimePoint now) {
  // Handles, not references: a tick may open or close windows.
  std::vector<Window*> snapshot;
  for (const std::unique_ptr<Window>& open : windows_) snapshot.push_back(open.get());
  int delivered = 0;
  for (Window* window : snapshot) {
    // Ticks wait for the modal loop: a box shown during initialisation does not run a step of
    // a dialog that is still preparing.
    if (!IsOpen(window) || !window->shown) continue;
    std::vector<unsigned> due;
    for (Timer& timer : window->timers) {
      if (timer.due <= now) {
        timer.due = now + std::chrono::milliseconds(timer.periodMs);
        due.push_back(timer.id);
      }
    }
    for (unsigned id : due) {
      if (!IsOpen(window) || window->ended) break;
      window->dialog->OnTimer(id);
      ++delivered;
    }
  }
  return delivered;
}

int FrontEndWindowSystem::DeliverTimersNow(Window& window) {
  std::vector<unsigned> ids;
  for (const Timer& timer : window.timers) ids.push_back(timer.id);
  int delivered = 0;
  for (unsigned id : ids) {
    if (!IsOpen(&window) || window.ended) break;
    window.dialog->OnTimer(id);
    ++delivered;
  }
  return delivered;
}

std::optional<FrontEndWindowSystem::TimePoint> FrontEndWindowSystem::NextTimerDue() const {
  std::optional<TimePoint> next;
  for (const std::unique_ptr<Window>& window : windows_) {
    if (window->ended || !window->shown) continue;
    for (const Timer& timer : window->timers) {
      if (!next || timer.due < *next) next = timer.due;
    }
  }
  return next;
}

}  // namespace setup
