// The scripted window system of the tests: modal runs driven by queued actions and timer ticks,
// on the window bookkeeping the shipped front ends use.
#include "support/scripted_window_system.h"

#include <utility>

namespace setup::testing {

ScriptedWindowSystem::ScriptedWindowSystem(std::string applicationTitle)
    : FrontEndWindowSystem(std::move(applicationTitle)) {}

int ScriptedWindowSystem::RunModalDialog(Dialog& dialog, WindowHandle parent) {
  dialogsRun_.push_back(dialog.TemplateId());
  return FrontEndWindowSystem::RunModalDialog(dialog, parent);
}

void ScriptedWindowSystem::RunModalLoop(Window& window) {
  int turns = 0;
  while (!window.ended) {
    if (++turns > tickLimit_) return Stall(window);
    if (!actions_.empty()) {
      auto action = std::move(actions_.front());
      actions_.pop_front();
      action(*window.dialog);
      if (window.ended) return;
    } else if (window.timers.empty()) {
      return Stall(window);
    }
    if (window.timers.empty()) continue;
    ++ticks_;
    window.dialog->OnTimer(window.timers.front().id);
  }
}

// A run nothing can move on: no queued action and no timer, or more ticks than the limit.
void ScriptedWindowSystem::Stall(Window& window) {
  stalled_ = true;
  window.ended = true;
  window.result = -1;
}

void ScriptedWindowSystem::EndDialog(WindowHandle window, int result) {
  ++endDialogCalls_;
  FrontEndWindowSystem::EndDialog(window, result);
}

bool ScriptedWindowSystem::DeliverTick() {
  if (windows().empty()) return false;
  // A message box's own loop dispatches WM_TIMER to the dialog even after EndDialog was called.
  Window& window = *windows().back();
  if (window.timers.empty()) return false;
  ++nestedTicks_;
  window.dialog->OnTimer(window.timers.front().id);
  return true;
}

int ScriptedWindowSystem::MessageBox(WindowHandle owner, const std::string& text,
                                     const char* caption, unsigned style) {
  MessageBoxRecord record;
  record.owner = owner;
  record.text = text;
  if (caption != nullptr) record.caption = std::string(caption);
  record.style = style;
  if (!answers_.empty()) {
    record.answer = answers_.front();
    answers_.pop_front();
  } else {
    record.answer = (style & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
  }
  messageBoxes_.push_back(record);
  if (tickInsideBoxes_) DeliverTick();
  if (messageBoxHook_) messageBoxHook_(record);
  return record.answer;
}

void ScriptedWindowSystem::SetWindowText(WindowHandle window, const std::string& text) {
  windowTexts_.push_back(text);
  FrontEndWindowSystem::SetWindowText(window, text);
}

void ScriptedWindowSystem::SetDlgItemText(WindowHandle window, int itemId,
                                          const std::string& text) {
  itemTexts_.push_back(ItemText{window, itemId, text});
  FrontEndWindowSystem::SetDlgItemText(window, itemId, text);
}

std::vector<std::string> ScriptedWindowSystem::TextsOf(int itemId) const {
  std::vector<std::string> texts;
  for (const ItemText& item : itemTexts_) {
    if (item.itemId == itemId) texts.push_back(item.text);
  }
  return texts;
}

unsigned ScriptedWindowSystem::SetTimer(WindowHandle window, unsigned id, unsigned periodMs) {
  timersSet_.push_back(TimerRecord{window, id, periodMs});
  if (timerResult_ == 0u) return 0;
  return FrontEndWindowSystem::SetTimer(window, id, periodMs);
}

void ScriptedWindowSystem::KillTimer(WindowHandle window, unsigned id) {
  timersKilled_.push_back(TimerRecord{window, id, 0});
  FrontEndWindowSystem::KillTimer(window, id);
}

void ScriptedWindowSystem::SetProgressRange(WindowHandle window, int itemId, std::uint32_t lParam) {
  progressRanges_.push_back(lParam);
  FrontEndWindowSystem::SetProgressRange(window, itemId, lParam);
}

void ScriptedWindowSystem::SetProgressPos(WindowHandle window, int itemId, int position) {
  progressPositions_.push_back(position);
  FrontEndWindowSystem::SetProgressPos(window, itemId, position);
}

}  // namespace setup::testing
