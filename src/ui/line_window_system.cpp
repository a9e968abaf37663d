// Line prompts: each dialog printed once and asked as one question.
#include "ui/line_window_system.h"

#include <algorithm>
#include <thread>

#include "platform/ascii_case.h"

namespace setup {
namespace {

// After this many cancellations at the end of the input a dialog that stays open is closed.
constexpr int kCancelsAtEndOfInput = 3;

std::string ChoiceList(const std::vector<std::pair<int, std::string>>& labels) {
  std::string list;
  for (std::size_t i = 0; i < labels.size(); ++i) {
    if (i > 0) list += "  ";
    // Appended piece by piece: one long concatenation trips a false -Wrestrict in GCC 12.
    list += '[';
    list += std::to_string(i + 1);
    list += "] ";
    list += labels[i].second;
  }
  return list;
}

}  // namespace

LineWindowSystem::LineWindowSystem(std::string applicationTitle, LineSource& in, TextSink& out,
                                   const TextEncoding& encoding)
    : FrontEndWindowSystem(std::move(applicationTitle)), in_(in), out_(out), encoding_(encoding) {}

std::string LineWindowSystem::PlainLines(const std::string& text) {
  std::string lines;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines += '\n';
      continue;
    }
    lines += text[i];
  }
  return lines;
}

bool LineWindowSystem::ReadLine(std::string* line) {
  out_.Flush();
  if (endOfInput_ || !in_.ReadLine(line)) {
    endOfInput_ = true;
    out_ << "\n";
    return false;
  }
  if (!line->empty() && line->back() == '\r') line->pop_back();
  return true;
}

int LineWindowSystem::Match(const std::vector<Choice>& choices, const std::string& answer) {
  std::string wanted = LowerCaseAscii(answer);
  // A number picks by position.
  if (!wanted.empty() && std::all_of(wanted.begin(), wanted.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
      })) {
    std::size_t index = wanted.size() < 4 ? std::stoul(wanted) : 0;
    return index >= 1 && index <= choices.size() ? choices[index - 1].id : -1;
  }
  int found = -1;
  for (const Choice& choice : choices) {
    std::string label = LowerCaseAscii(choice.label);
    if (label == wanted) return choice.id;
    if (label.compare(0, wanted.size(), wanted) == 0) {
      if (found != -1) return -2;
      found = choice.id;
    }
  }
  return found;
}

void LineWindowSystem::ShowDialog(const Window& window) {
  out_ << "\n== " << Shown(window.caption) << " ==\n";
  if (window.dialogTemplate == nullptr) return;
  for (const ControlTemplate& control : window.dialogTemplate->controls) {
    if (control.kind == ControlKind::kStatic) {
      out_ << Shown(PlainLines(control.text)) << "\n";
    } else if (control.kind == ControlKind::kEdit && IsMultiLine(control)) {
      const std::string& text = window.Text(control.id);
      if (!text.empty()) {
        std::string lines = PlainLines(text);
        out_ << Shown(lines) << (lines.back() == '\n' ? "" : "\n");
      }
    }
  }
}

void LineWindowSystem::AskDialog(Window& window) {
  const DialogTemplate& dialogTemplate = *window.dialogTemplate;
  std::vector<Choice> choices;
  int defaultId = 0;
  const ControlTemplate* field = nullptr;
  for (const ControlTemplate& control : dialogTemplate.controls) {
    if (control.kind == ControlKind::kPushButton) {
      choices.push_back(Choice{control.id, control.text});
      if (IsDefaultButton(control) && defaultId == 0) defaultId = control.id;
    }
    if (control.kind == ControlKind::kEdit && !IsReadOnly(control) && field == nullptr) {
      field = &control;
    }
  }
  if (defaultId == 0 && !choices.empty()) defaultId = choices.front().id;
  std::string defaultLabel, cancelLabel = "Cancel";
  std::vector<std::pair<int, std::string>> labels;
  for (const Choice& choice : choices) {
    labels.emplace_back(choice.id, choice.label);
    if (choice.id == defaultId) defaultLabel = choice.label;
    if (choice.id == IDCANCEL) cancelLabel = choice.label;
  }

  int cancels = 0;
  while (!window.ended) {
    if (endOfInput_) {
      if (++cancels > kCancelsAtEndOfInput) {
        EndDialog(window.handle(), IDCANCEL);
        break;
      }
      PressButton(window, IDCANCEL);
      continue;
    }
    std::string answer;
    if (field != nullptr) {
      out_ << "[" << Shown(window.Text(field->id)) << "]\n"
           << "Enter = " << Shown(defaultLabel)
           << ", or type a new value; < = " << Shown(cancelLabel) << ": ";
      if (!ReadLine(&answer)) continue;
      if (answer == "<") {
        PressButton(window, IDCANCEL);
        continue;
      }
      if (!answer.empty()) {
        EncodeFailure failure;
        std::optional<std::string> ansi = TerminalToAnsi(encoding_, answer, &failure);
        if (!ansi) {
          out_ << (failure.invalid
                       ? std::string("That is not text in this terminal's encoding")
                       : encoding_.ToTerminal(RefusedCharacterMessage(encoding_, failure.refused)))
               << "; please type it again.\n";
          continue;
        }
        SetDlgItemText(window.handle(), field->id, *ansi);
      }
      PressButton(window, defaultId);
      continue;
    }
    out_ << Shown(ChoiceList(labels)) << " (Enter = " << Shown(defaultLabel) << "): ";
    if (!ReadLine(&answer)) continue;
    if (answer == "<") {
      PressButton(window, IDCANCEL);
      continue;
    }
    int id = answer.empty() ? defaultId : Match(choices, answer);
    if (id < 0) {
      out_ << "Please answer with a number or a name: " << Shown(ChoiceList(labels)) << "\n";
      continue;
    }
    PressButton(window, id);
  }
}

void LineWindowSystem::RunTimers(Window& window) {
  while (!window.ended) {
    std::optional<TimePoint> next = NextTimerDue();
    if (!next) {
      out_ << ApplicationTitle() << ": the page \"" << Shown(window.caption)
           << "\" cannot go on: it waits for nothing\n";
      EndDialog(window.handle(), IDCANCEL);
      break;
    }
    std::this_thread::sleep_until(*next);
    DeliverDueTimers(Now());
  }
}

void LineWindowSystem::RunModalLoop(Window& window) {
  ShowDialog(window);
  bool hasButtons = false;
  if (window.dialogTemplate != nullptr) {
    for (const ControlTemplate& control : window.dialogTemplate->controls) {
      hasButtons = hasButtons || control.kind == ControlKind::kPushButton;
    }
  }
  if (hasButtons) {
    AskDialog(window);
  } else {
    RunTimers(window);
  }
  out_.Flush();
}

void LineWindowSystem::OnItemTextChanged(Window& window, int itemId) {
  if (!window.shown || window.dialogTemplate == nullptr) return;
  const ControlTemplate* control = window.dialogTemplate->Control(itemId);
  // The status line of the installation page: a read-only single-line edit.
  if (control == nullptr || control->kind != ControlKind::kEdit || !IsReadOnly(*control) ||
      IsMultiLine(*control)) {
    return;
  }
  out_ << Shown(window.Text(itemId)) << "\n";
  out_.Flush();
}

int LineWindowSystem::MessageBox(WindowHandle /*owner*/, const std::string& text,
                                 const char* caption, unsigned style) {
  std::string title = MessageBoxCaption(caption);
  out_ << "\n" << Shown((title.empty() ? "" : title + ": ") + PlainLines(text));
  if (text.empty() || (text.back() != '\n' && text.back() != '\r')) out_ << "\n";
  std::vector<MessageBoxButton> buttons = MessageBoxButtons(style);
  const MessageBoxButton& defaultButton = buttons[MessageBoxDefaultIndex(style)];
  if (buttons.size() == 1) {
    out_.Flush();
    return defaultButton.id;
  }
  std::vector<Choice> choices;
  std::vector<std::pair<int, std::string>> labels;
  for (const MessageBoxButton& button : buttons) {
    choices.push_back(Choice{button.id, button.label});
    labels.emplace_back(button.id, button.label);
  }
  while (true) {
    out_ << ChoiceList(labels) << " (Enter = " << defaultButton.label << "): ";
    std::string answer;
    if (!ReadLine(&answer)) return defaultButton.id;
    if (answer.empty()) return defaultButton.id;
    if (answer == "<") {
      if (std::optional<int> escape = MessageBoxEscapeAnswer(style)) return *escape;
    }
    int id = Match(choices, answer);
    if (id >= 0) return id;
    out_ << "Please answer with a number or a name: " << ChoiceList(labels) << "\n";
  }
}

}  // namespace setup
