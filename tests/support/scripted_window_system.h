// A window system for tests, built on the front ends' own base (windows, item texts, timers and
// progress bars as the shipped front ends keep them): runs modal dialogs without drawing them,
// delivers timer ticks and queued user actions one at a time, answers message boxes from a queue,
// and records what a user would have seen (item texts, captions, progress bar, message boxes,
// timers).
//
// How a modal run goes: RunModalDialog gives the dialog a window handle, calls
// OnInitDialog, then loops until EndDialog was called for that window. Each turn of the loop
// first runs the next queued action (QueueAction: press OK, type a text, look at the disk, ...),
// then, unless the run has ended, delivers one tick (OnTimer with the timer's id) when the dialog
// has a live timer. So the k-th queued action runs just before the k-th tick. A dialog that has
// neither a queued action nor a live timer would wait forever: the run stalls, which is recorded
// (stalled()) and answered with -1. So is a run that exceeds the tick limit. When the loop ends,
// OnDestroyWindow runs, the window's timers die and the handle is cleared.
//
// Message boxes are recorded and answered from QueueAnswer's queue; with an empty queue a
// Yes/No box answers IDYES and every other box IDOK. While a box is "open" the test can act as a
// user or a timer would: SetMessageBoxHook runs code inside the box, and DeliverTick() (or
// SetTickInsideMessageBoxes) delivers a nested tick to the innermost running dialog, as a real
// message box's loop dispatches the dialog's WM_TIMER.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "ui/frontend_window_system.h"

namespace setup::testing {

class ScriptedWindowSystem final : public FrontEndWindowSystem {
 public:
  struct MessageBoxRecord {
    WindowHandle owner = nullptr;
    std::string text;
    std::optional<std::string> caption;  // nothing when the caller passed null
    unsigned style = 0;
    int answer = 0;
  };
  struct ItemText {
    WindowHandle window = nullptr;
    int itemId = 0;
    std::string text;
  };
  struct TimerRecord {
    WindowHandle window = nullptr;
    unsigned id = 0;
    unsigned periodMs = 0;
  };

  explicit ScriptedWindowSystem(std::string applicationTitle = "Setup");

  // --- What the test scripts -------------------------------------------------------------------
  // The answers of the next message boxes, in order.
  void QueueAnswer(int answer) { answers_.push_back(answer); }
  // Actions run one per turn of the innermost modal loop, each before that turn's tick.
  void QueueAction(std::function<void(Dialog&)> action) { actions_.push_back(std::move(action)); }
  // Runs inside every message box, after it is recorded and before it is answered.
  void SetMessageBoxHook(std::function<void(const MessageBoxRecord&)> hook) {
    messageBoxHook_ = std::move(hook);
  }
  // Every message box delivers one nested tick to the running dialog before it is answered.
  void SetTickInsideMessageBoxes(bool on) { tickInsideBoxes_ = on; }
  // 0 makes every SetTimer fail; nothing (or any other value) lets timers be set.
  void SetTimerResultOverride(std::optional<unsigned> result) { timerResult_ = result; }
  // Most ticks one modal run may take before it counts as stalled.
  void SetTickLimit(int limit) { tickLimit_ = limit; }

  // Delivers one tick to the innermost running dialog, when it has a live timer. Answers whether
  // a tick was delivered.
  bool DeliverTick();

  // --- What the test reads ---------------------------------------------------------------------
  const std::vector<MessageBoxRecord>& messageBoxes() const { return messageBoxes_; }
  const std::vector<ItemText>& itemTexts() const { return itemTexts_; }
  // The texts one item was given, in order.
  std::vector<std::string> TextsOf(int itemId) const;
  const std::vector<std::string>& windowTexts() const { return windowTexts_; }
  const std::vector<std::uint32_t>& progressRanges() const { return progressRanges_; }
  const std::vector<int>& progressPositions() const { return progressPositions_; }
  const std::vector<TimerRecord>& timersSet() const { return timersSet_; }
  const std::vector<TimerRecord>& timersKilled() const { return timersKilled_; }
  const std::vector<int>& dialogsRun() const { return dialogsRun_; }  // template ids
  // Ticks delivered by modal loops (not counting nested ones) and nested ticks delivered.
  int ticks() const { return ticks_; }
  int nestedTicks() const { return nestedTicks_; }
  int endDialogCalls() const { return endDialogCalls_; }
  bool stalled() const { return stalled_; }

  // --- WindowSystem: recorded, then done as the shipped front ends do ---------------------------
  int RunModalDialog(Dialog& dialog, WindowHandle parent) override;
  void EndDialog(WindowHandle window, int result) override;
  int MessageBox(WindowHandle owner, const std::string& text, const char* caption,
                 unsigned style) override;
  void SetWindowText(WindowHandle window, const std::string& text) override;
  void SetDlgItemText(WindowHandle window, int itemId, const std::string& text) override;
  unsigned SetTimer(WindowHandle window, unsigned id, unsigned periodMs) override;
  void KillTimer(WindowHandle window, unsigned id) override;
  void SetProgressRange(WindowHandle window, int itemId, std::uint32_t lParam) override;
  void SetProgressPos(WindowHandle window, int itemId, int position) override;

 protected:
  void RunModalLoop(Window& window) override;

 private:
  void Stall(Window& window);

  std::deque<int> answers_;
  std::deque<std::function<void(Dialog&)>> actions_;
  std::function<void(const MessageBoxRecord&)> messageBoxHook_;
  bool tickInsideBoxes_ = false;
  std::optional<unsigned> timerResult_;
  int tickLimit_ = 100000;

  std::vector<MessageBoxRecord> messageBoxes_;
  std::vector<ItemText> itemTexts_;
  std::vector<std::string> windowTexts_;
  std::vector<std::uint32_t> progressRanges_;
  std::vector<int> progressPositions_;
  std::vector<TimerRecord> timersSet_;
  std::vector<TimerRecord> timersKilled_;
  std::vector<int> dialogsRun_;
  int ticks_ = 0;
  int nestedTicks_ = 0;
  int endDialogCalls_ = 0;
  bool stalled_ = false;
};

}  // namespace setup::testing
