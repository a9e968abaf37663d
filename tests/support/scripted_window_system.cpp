// The scripted window system of the tests: modal runs driven by queued actions and timer ticks.
#include "support/scripted_window_system.h"

#include <algorithm>
#include <utility>

namespace setup::testing {

ScriptedWindowSystem::ScriptedWindowSystem(std::string applicationTitle)
    : applicationTitle_(std::move(applicationTitle)) {}

ScriptedWindowSystem::Running* ScriptedWindowSystem::Find(WindowHandle window) {
  for (Running& run : running_) {
    if (run.window == window) return &run;
  }
  return nullptr;
}

std::optional<unsigned> ScriptedWindowSystem::LiveTimer(WindowHandle window) const {
  for (const auto& [timerWindow, id] : liveTimers_) {
    if (timerWindow == window) return id;
  }
  return std::nullopt;
}

int ScriptedWindowSystem::RunModalDialog(Dialog& dialog, WindowHandle /*parent*/) {
  dialogsRun_.push_back(dialog.TemplateId());
  const auto window = reinterpret_cast<WindowHandle>(nextWindow_);
  nextWindow_ += 0x10;
  dialog.m_hWnd = window;
  running_.push_back(Running{&dialog, window});
  // Index, not pointer: nested runs may grow the vector.
  const std::size_t self = running_.size() - 1;

  dialog.OnInitDialog();
  int turns = 0;
  while (!running_[self].ended) {
    if (++turns > tickLimit_) {
      stalled_ = true;
      running_[self].ended = true;
      running_[self].result = -1;
      break;
    }
    if (!actions_.empty()) {
      auto action = std::move(actions_.front());
      actions_.pop_front();
      action(dialog);
      if (running_[self].ended) break;
    } else if (!LiveTimer(window)) {
      stalled_ = true;
      running_[self].ended = true;
      running_[self].result = -1;
      break;
    }
    const std::optional<unsigned> timer = LiveTimer(window);
    if (!timer) continue;
    ++ticks_;
    dialog.OnTimer(*timer);
  }
  const int result = running_[self].result;
  dialog.OnDestroyWindow();
  // A window's timers die with it.
  std::erase_if(liveTimers_, [window](const auto& timer) { return timer.first == window; });
  running_.erase(running_.begin() + static_cast<std::ptrdiff_t>(self));
  dialog.m_hWnd = nullptr;
  return result;
}

void ScriptedWindowSystem::EndDialog(WindowHandle window, int result) {
  ++endDialogCalls_;
  Running* run = Find(window);
  if (run == nullptr) return;
  run->ended = true;
  run->result = result;
}

bool ScriptedWindowSystem::DeliverTick() {
  if (running_.empty()) return false;
  Running& run = running_.back();
  const std::optional<unsigned> timer = LiveTimer(run.window);
  if (!timer) return false;
  ++nestedTicks_;
  Dialog* dialog = run.dialog;
  dialog->OnTimer(*timer);
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

void ScriptedWindowSystem::SetWindowText(WindowHandle /*window*/, const std::string& text) {
  windowTexts_.push_back(text);
}

void ScriptedWindowSystem::SetDlgItemText(WindowHandle window, int itemId,
                                          const std::string& text) {
  itemTexts_.push_back(ItemText{window, itemId, text});
  currentTexts_[{window, itemId}] = text;
}

std::string ScriptedWindowSystem::GetDlgItemText(WindowHandle window, int itemId) {
  const auto found = currentTexts_.find({window, itemId});
  return found == currentTexts_.end() ? std::string() : found->second;
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
  const unsigned result = timerResult_.value_or(id);
  if (result == 0) return 0;
  std::erase_if(liveTimers_,
                [&](const auto& timer) { return timer.first == window && timer.second == result; });
  liveTimers_.emplace_back(window, result);
  return result;
}

void ScriptedWindowSystem::KillTimer(WindowHandle window, unsigned id) {
  timersKilled_.push_back(TimerRecord{window, id, 0});
  std::erase_if(liveTimers_,
                [&](const auto& timer) { return timer.first == window && timer.second == id; });
}

void ScriptedWindowSystem::SetProgressRange(WindowHandle /*window*/, int /*itemId*/,
                                            std::uint32_t lParam) {
  progressRanges_.push_back(lParam);
}

void ScriptedWindowSystem::SetProgressPos(WindowHandle /*window*/, int /*itemId*/, int position) {
  progressPositions_.push_back(position);
}

}  // namespace setup::testing
