// Runs a script of user actions and checks against the dialogs of another program.
#include "driver.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "screenshot.h"

namespace ui_driver {
namespace {

constexpr DWORD kDefaultTimeoutMs = 30000;
constexpr DWORD kPollMs = 10;

// In an expected text `\n` stands for LF, `\r` for CR and `\\` for one backslash (so that a
// path such as C:\\users\\root is not read as holding a CR).
std::string Unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if (text[i] == '\\' && (next == 'n' || next == 'r' || next == '\\')) {
      out += next == 'n' ? '\n' : next == 'r' ? '\r' : '\\';
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string Printable(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  return out;
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

// The text of a window of another process, through the marshalled WM_GETTEXT.
std::string TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) {
    return "<no answer>";
  }
  std::string text(length + 1, '\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 5000, &copied);
  text.resize(copied);
  return text;
}

bool IsDialogOfAnotherProcess(HWND window) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return process != GetCurrentProcessId() && IsWindowVisible(window) && ClassOf(window) == "#32770";
}

struct Search {
  std::string caption;
  int controlId;  // 0: any
  HWND found = nullptr;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<Search*>(lParam);
  if (!IsDialogOfAnotherProcess(window)) return TRUE;
  char caption[512] = {};
  GetWindowTextA(window, caption, sizeof caption);
  if (search->caption != caption) return TRUE;
  if (search->controlId != 0 && GetDlgItem(window, search->controlId) == nullptr) return TRUE;
  search->found = window;
  return FALSE;  // windows come top first: take the topmost match
}

HWND FindDialog(const std::string& caption, int controlId) {
  Search search{caption, controlId};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int Number(const std::string& text) {
  return static_cast<int>(std::strtol(text.c_str(), nullptr, 0));
}

DWORD TimeoutArg(const Step& step, std::size_t index) {
  return step.size() > index && !step[index].empty() ? static_cast<DWORD>(Number(step[index]))
                                                     : kDefaultTimeoutMs;
}

struct StaticSearch {
  std::string expected;
  std::vector<std::string> seen;
  bool found = false;
};

BOOL CALLBACK MatchStatic(HWND child, LPARAM lParam) {
  auto* search = reinterpret_cast<StaticSearch*>(lParam);
  if (_stricmp(ClassOf(child).c_str(), "Static") != 0) return TRUE;
  const std::string text = TextOf(child);
  if (text.empty()) return TRUE;
  search->seen.push_back(text);
  if (text == search->expected) search->found = true;
  return TRUE;
}

BOOL CALLBACK DumpControl(HWND child, LPARAM) {
  std::printf("    %d %s \"%s\"\n", GetDlgCtrlID(child), ClassOf(child).c_str(),
              Printable(TextOf(child)).c_str());
  return TRUE;
}

BOOL CALLBACK DumpWindow(HWND window, LPARAM) {
  if (!IsDialogOfAnotherProcess(window)) return TRUE;
  char caption[512] = {};
  GetWindowTextA(window, caption, sizeof caption);
  std::printf("  open dialog \"%s\"\n", caption);
  EnumChildWindows(window, DumpControl, 0);
  return TRUE;
}

void PostKey(HWND dialog, WPARAM key) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  const DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
  HWND target = GetGUIThreadInfo(thread, &info) && info.hwndFocus ? info.hwndFocus : dialog;
  const UINT scan = MapVirtualKeyA(static_cast<UINT>(key), 0);
  PostMessageA(target, WM_KEYDOWN, key, static_cast<LPARAM>(1 | scan << 16));
  PostMessageA(target, WM_KEYUP, key, static_cast<LPARAM>(1 | scan << 16 | 3u << 30));
}

}  // namespace

std::vector<Step> ParseScript(const std::string& text) {
  std::vector<Step> steps;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    Step step;
    std::size_t start = 0;
    for (;;) {
      const std::size_t bar = line.find('|', start);
      step.push_back(line.substr(start, bar == std::string::npos ? bar : bar - start));
      if (bar == std::string::npos) break;
      start = bar + 1;
    }
    steps.push_back(step);
  }
  return steps;
}

int Driver::Run(const std::vector<Step>& steps) {
  for (std::size_t i = 0; i < steps.size(); ++i) {
    std::string line;
    for (const std::string& part : steps[i]) line += (line.empty() ? "" : "|") + part;
    std::string error;
    if (!Execute(steps[i], &error)) {
      std::printf("FAIL step %u: %s\n  %s\n", static_cast<unsigned>(i + 1), line.c_str(),
                  error.c_str());
      DumpWindows();
      std::fflush(stdout);
      return static_cast<int>(i + 1);
    }
    std::printf("ok   %s\n", line.c_str());
    std::fflush(stdout);
  }
  return 0;
}

void Driver::DumpWindows() { EnumWindows(DumpWindow, 0); }

bool Driver::Hold(std::string* error) {
  Release();
  const DWORD thread = GetWindowThreadProcessId(current_, nullptr);
  held_ = OpenThread(THREAD_SUSPEND_RESUME, FALSE, thread);
  if (held_ == nullptr || SuspendThread(held_) == static_cast<DWORD>(-1)) {
    *error = "cannot hold the window's thread";
    Release();
    return false;
  }
  return true;
}

void Driver::Release() {
  if (held_ == nullptr) return;
  ResumeThread(held_);
  CloseHandle(held_);
  held_ = nullptr;
}

bool Driver::Execute(const Step& step, std::string* error) {
  const std::string& command = step[0];
  auto need = [&](std::size_t count) {
    if (step.size() >= count + 1) return true;
    *error = "needs " + std::to_string(count) + " argument(s)";
    return false;
  };
  const bool needsWindow =
      command != "window" && command != "absent" && command != "sleep" && command != "closed";
  if (needsWindow && (current_ == nullptr || !IsWindow(current_))) {
    if (command == "gone") return true;
    *error = "no current window";
    return false;
  }

  if (command == "window") {  // window|caption[|control id][|timeout ms]
    if (!need(1)) return false;
    const int control = step.size() > 2 && !step[2].empty() ? Number(step[2]) : 0;
    const DWORD deadline = GetTickCount() + TimeoutArg(step, 3);
    while ((current_ = FindDialog(step[1], control)) == nullptr) {
      if (static_cast<LONG>(GetTickCount() - deadline) > 0) {
        *error = "no dialog \"" + step[1] + "\" appeared";
        return false;
      }
      Sleep(kPollMs);
    }
    return true;
  }
  if (command == "absent") {  // absent|caption|ms: no such dialog shows within that time
    if (!need(2)) return false;
    const DWORD deadline = GetTickCount() + static_cast<DWORD>(Number(step[2]));
    do {
      if (FindDialog(step[1], 0) != nullptr) {
        *error = "dialog \"" + step[1] + "\" appeared";
        return false;
      }
      Sleep(kPollMs);
    } while (static_cast<LONG>(GetTickCount() - deadline) <= 0);
    return true;
  }
  if (command == "closed") {  // closed|caption[|control id][|timeout ms]: no such dialog is open
    if (!need(1)) return false;
    const int control = step.size() > 2 && !step[2].empty() ? Number(step[2]) : 0;
    const DWORD deadline = GetTickCount() + TimeoutArg(step, 3);
    while (FindDialog(step[1], control) != nullptr) {
      if (static_cast<LONG>(GetTickCount() - deadline) > 0) {
        *error = "dialog \"" + step[1] + "\" is still open";
        return false;
      }
      Sleep(kPollMs);
    }
    current_ = nullptr;
    return true;
  }
  if (command == "sleep") {
    if (!need(1)) return false;
    Sleep(static_cast<DWORD>(Number(step[1])));
    return true;
  }
  if (command == "gone") {  // gone[|timeout ms]: the current window closes
    const DWORD deadline = GetTickCount() + TimeoutArg(step, 1);
    while (IsWindow(current_) && IsWindowVisible(current_)) {
      if (static_cast<LONG>(GetTickCount() - deadline) > 0) {
        *error = "the window is still open";
        return false;
      }
      Sleep(kPollMs);
    }
    current_ = nullptr;
    return true;
  }
  if (command == "text" || command == "contains") {  // text|id|expected
    if (!need(2)) return false;
    HWND item = GetDlgItem(current_, Number(step[1]));
    if (item == nullptr) {
      *error = "no control " + step[1];
      return false;
    }
    const std::string actual = TextOf(item), expected = Unescape(step[2]);
    const bool match =
        command == "text" ? actual == expected : actual.find(expected) != std::string::npos;
    if (!match) *error = "the text is \"" + Printable(actual) + "\"";
    return match;
  }
  if (command == "caption") {  // caption|expected
    if (!need(1)) return false;
    char caption[512] = {};
    GetWindowTextA(current_, caption, sizeof caption);
    if (step[1] == caption) return true;
    *error = std::string("the caption is \"") + caption + "\"";
    return false;
  }
  if (command == "message") {  // message|expected: a static text of the window (message boxes)
    if (!need(1)) return false;
    StaticSearch search;
    search.expected = Unescape(step[1]);
    EnumChildWindows(current_, MatchStatic, reinterpret_cast<LPARAM>(&search));
    if (search.found) return true;
    *error = "texts shown:";
    for (const std::string& text : search.seen) *error += " \"" + Printable(text) + "\"";
    return false;
  }
  if (command == "owner") {  // owner|caption of the owner window, or "-" for none
    if (!need(1)) return false;
    HWND owner = GetWindow(current_, GW_OWNER);
    char caption[512] = "-";
    if (owner != nullptr) GetWindowTextA(owner, caption, sizeof caption);
    if (step[1] == caption) return true;
    *error = std::string("the owner is \"") + caption + "\"";
    return false;
  }
  if (command == "style" || command == "exstyle") {  // style|mask|value (hexadecimal)
    if (!need(2)) return false;
    const auto style = static_cast<unsigned long>(
        GetWindowLongA(current_, command == "style" ? GWL_STYLE : GWL_EXSTYLE));
    const unsigned long mask = std::strtoul(step[1].c_str(), nullptr, 16);
    const unsigned long value = std::strtoul(step[2].c_str(), nullptr, 16);
    if ((style & mask) == value) return true;
    char text[64];
    std::snprintf(text, sizeof text, "%s is 0x%08lx", command.c_str(), style);
    *error = text;
    return false;
  }
  if (command == "progress") {  // progress|id|min|max
    if (!need(3)) return false;
    HWND bar = GetDlgItem(current_, Number(step[1]));
    DWORD_PTR low = 0, high = 0;
    SendMessageTimeoutA(bar, PBM_GETRANGE, TRUE, 0, SMTO_ABORTIFHUNG, 5000, &low);
    SendMessageTimeoutA(bar, PBM_GETRANGE, FALSE, 0, SMTO_ABORTIFHUNG, 5000, &high);
    if (static_cast<int>(low) == Number(step[2]) && static_cast<int>(high) == Number(step[3])) {
      return true;
    }
    *error = "the range is " + std::to_string(low) + ".." + std::to_string(high);
    return false;
  }
  if (command == "settext") {  // settext|id|text, as typing into the box would leave it
    if (!need(2)) return false;
    HWND item = GetDlgItem(current_, Number(step[1]));
    DWORD_PTR ignored = 0;
    if (item != nullptr &&
        SendMessageTimeoutA(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(step[2].c_str()),
                            SMTO_ABORTIFHUNG, 5000, &ignored)) {
      return true;
    }
    *error = "cannot set the text of control " + step[1];
    return false;
  }
  if (command == "press") {  // press|id: what a click on that button sends its dialog
    if (!need(1)) return false;
    const int id = Number(step[1]);
    HWND item = GetDlgItem(current_, id);
    PostMessageA(current_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(item));
    return true;
  }
  if (command == "key") {  // key|esc or key|enter, to the control that has the focus
    if (!need(1)) return false;
    if (step[1] != "esc" && step[1] != "enter") {
      *error = "unknown key " + step[1];
      return false;
    }
    PostKey(current_, step[1] == "esc" ? VK_ESCAPE : VK_RETURN);
    return true;
  }
  if (command == "close") {  // the close box, Alt+F4
    PostMessageA(current_, WM_SYSCOMMAND, SC_CLOSE, 0);
    return true;
  }
  if (command == "screenshot") {  // screenshot|file.png
    if (!need(1)) return false;
    // A held window cannot repaint: it is taken as it stands.
    if (held_ == nullptr) {
      SetForegroundWindow(current_);
      RedrawWindow(current_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
      Sleep(300);  // let the other process paint
    }
    return SaveScreenshot(current_, step[1], error);
  }
  if (command == "hold") return Hold(error);  // hold: stop the current window's thread
  if (command == "release") {                 // release: let it go on
    Release();
    return true;
  }
  *error = "unknown command";
  return false;
}

}  // namespace ui_driver
