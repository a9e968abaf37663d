// Unattended runs: default buttons, the given directory, boxes on the error stream.
#include "ui/unattended_window_system.h"

#include "resources/resource.h"

namespace setup {
namespace {

// Longest run of ticks a dialog may take without ending. The installation page takes two per
// file; this only stops a dialog that would never end from hanging the program.
constexpr long long kMaxTicks = 100'000'000;

}  // namespace

UnattendedWindowSystem::UnattendedWindowSystem(std::string applicationTitle,
                                               std::optional<std::string> directory, TextSink& err,
                                               const TextEncoding& encoding)
    : FrontEndWindowSystem(std::move(applicationTitle)),
      directory_(std::move(directory)),
      err_(err),
      encoding_(encoding) {}

std::string UnattendedWindowSystem::OneLine(const std::string& caption, const std::string& text) {
  std::string line = caption + ": ";
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    line += (text[i] == '\r' || text[i] == '\n') ? ' ' : text[i];
  }
  return line;
}

int UnattendedWindowSystem::MessageBox(WindowHandle /*owner*/, const std::string& text,
                                       const char* caption, unsigned style) {
  err_ << encoding_.AnsiToTerminal(OneLine(MessageBoxCaption(caption), text)) << '\n';
  err_.Flush();
  return MessageBoxButtons(style)[MessageBoxDefaultIndex(style)].id;
}

void UnattendedWindowSystem::RunModalLoop(Window& window) {
  const DialogTemplate* dialogTemplate = window.dialogTemplate;
  if (dialogTemplate != nullptr) {
    if (directory_ && dialogTemplate->Control(IDC_DIRECTORY) != nullptr) {
      SetDlgItemText(window.handle(), IDC_DIRECTORY, *directory_);
    }
    for (const ControlTemplate& control : dialogTemplate->controls) {
      if (IsDefaultButton(control)) {
        PressButton(window, control.id);
        break;
      }
    }
  }
  long long ticks = 0;
  while (!window.ended) {
    if (window.timers.empty() || ++ticks > kMaxTicks) {
      // Nothing a user could do would end this dialog either: give up rather than hang.
      err_ << ApplicationTitle() << ": the page \"" << encoding_.AnsiToTerminal(window.caption)
           << "\" cannot go on without a user\n";
      EndDialog(window.handle(), IDCANCEL);
      break;
    }
    DeliverTimersNow(window);
  }
}

}  // namespace setup
