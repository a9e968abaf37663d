// The Windows front end: the dialogs run modally with DialogBoxParamA on the program's resource
// templates, real message boxes, timers, item texts and the progress bar control.
#include "platform/win32/win32_window_system.h"

#include <vector>

#include "platform/application_title.h"
#include "platform/dialog.h"
#include "platform/own_program.h"
#include "platform/win32/windows_headers.h"
#include "resources/resource.h"

namespace setup {
namespace {

HWND ToHwnd(WindowHandle window) { return static_cast<HWND>(window); }

// What the dialog procedure needs of one running dialog; lives on RunModalDialog's stack.
struct RunningDialog {
  Win32WindowSystem* system;
  Dialog* dialog;
  HICON icon;  // the program icon for dialogs with a system menu, else null
};

RunningDialog* RunningOf(HWND window) {
  return reinterpret_cast<RunningDialog*>(GetWindowLongPtrA(window, DWLP_USER));
}

// The minimised window shows its icon centred in the client area.
void PaintIconic(HWND window, HICON icon) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  SendMessageA(window, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  const int iconWidth = GetSystemMetrics(SM_CXICON);
  const int iconHeight = GetSystemMetrics(SM_CYICON);
  RECT client;
  GetClientRect(window, &client);
  const int x = (client.right - client.left - iconWidth + 1) / 2;
  const int y = (client.bottom - client.top - iconHeight + 1) / 2;
  DrawIcon(dc, x, y, icon);
  EndPaint(window, &paint);
}

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* running = reinterpret_cast<RunningDialog*>(lParam);
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(running));
    running->dialog->m_hWnd = window;
    if ((GetWindowLongA(window, GWL_STYLE) & WS_SYSMENU) != 0) {
      running->icon = LoadIconA(static_cast<HINSTANCE>(running->system->instance()),
                                MAKEINTRESOURCEA(IDR_MAINFRAME));
      SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(running->icon));
      SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(running->icon));
    }
    return running->dialog->OnInitDialog() ? TRUE : FALSE;
  }

  RunningDialog* running = RunningOf(window);
  if (running == nullptr) return FALSE;  // messages before WM_INITDIALOG (WM_SETFONT, ...)
  Dialog& dialog = *running->dialog;
  switch (message) {
    case WM_COMMAND:
      // The buttons, Enter and Esc, and the close box (through the default SC_CLOSE handling).
      if (LOWORD(wParam) == IDOK) {
        dialog.OnOK();
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        dialog.OnCancel();
        return TRUE;
      }
      return FALSE;
    case WM_TIMER:
      dialog.OnTimer(static_cast<unsigned>(wParam));
      return FALSE;
    case WM_PAINT:
      if (running->icon == nullptr || !IsIconic(window)) return FALSE;
      PaintIconic(window, running->icon);
      return TRUE;
    case WM_QUERYDRAGICON:
      // One of the few messages whose answer a dialog procedure returns directly.
      return reinterpret_cast<INT_PTR>(running->icon);
    case WM_DESTROY:
      dialog.OnDestroyWindow();
      return FALSE;
    case WM_NCDESTROY:
      dialog.m_hWnd = nullptr;
      SetWindowLongPtrA(window, DWLP_USER, 0);
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

Win32WindowSystem::Win32WindowSystem(void* instance) : instance_(instance) {
  // Registers the progress bar's window class, which template 104 uses. comctl32 is no KnownDLL,
  // so it is loaded from the system directory (the manifest still selects version 6).
  using InitFunction = void(WINAPI*)();
  if (const auto init = commonControls_.Function<InitFunction>("InitCommonControls")) init();
}

int Win32WindowSystem::RunModalDialog(Dialog& dialog, WindowHandle parent) {
  RunningDialog running{this, &dialog, nullptr};
  const INT_PTR result =
      DialogBoxParamA(static_cast<HINSTANCE>(instance_), MAKEINTRESOURCEA(dialog.TemplateId()),
                      ToHwnd(parent), DialogProc, reinterpret_cast<LPARAM>(&running));
  dialog.m_hWnd = nullptr;
  return static_cast<int>(result);
}

void Win32WindowSystem::EndDialog(WindowHandle window, int result) {
  if (window != nullptr) ::EndDialog(ToHwnd(window), result);
}

int Win32WindowSystem::MessageBox(WindowHandle owner, const std::string& text, const char* caption,
                                  unsigned style) {
  return MessageBoxA(ToHwnd(owner), text.c_str(), caption, style);
}

std::string Win32WindowSystem::ApplicationTitle() { return ProgramTitle(); }

void Win32WindowSystem::SetWindowText(WindowHandle window, const std::string& text) {
  SetWindowTextA(ToHwnd(window), text.c_str());
}

void Win32WindowSystem::SetDlgItemText(WindowHandle window, int itemId, const std::string& text) {
  SetDlgItemTextA(ToHwnd(window), itemId, text.c_str());
}

std::string Win32WindowSystem::GetDlgItemText(WindowHandle window, int itemId) {
  HWND item = GetDlgItem(ToHwnd(window), itemId);
  if (item == nullptr) return {};
  const int length = GetWindowTextLengthA(item);
  if (length <= 0) return {};
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
  const UINT copied = GetDlgItemTextA(ToHwnd(window), itemId, buffer.data(), length + 1);
  return std::string(buffer.data(), copied);
}

unsigned Win32WindowSystem::SetTimer(WindowHandle window, unsigned id, unsigned periodMs) {
  return static_cast<unsigned>(::SetTimer(ToHwnd(window), id, periodMs, nullptr));
}

void Win32WindowSystem::KillTimer(WindowHandle window, unsigned id) {
  ::KillTimer(ToHwnd(window), id);
}

void Win32WindowSystem::SetProgressRange(WindowHandle window, int itemId, std::uint32_t lParam) {
  SendDlgItemMessageA(ToHwnd(window), itemId, PBM_SETRANGE, 0, static_cast<LPARAM>(lParam));
}

void Win32WindowSystem::SetProgressPos(WindowHandle window, int itemId, int position) {
  SendDlgItemMessageA(ToHwnd(window), itemId, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

std::string ProgramTitle() {
  const std::string path = OwnProgramPath();
  return path.empty() ? "Setup" : ApplicationTitleFromPath(path);
}

}  // namespace setup
