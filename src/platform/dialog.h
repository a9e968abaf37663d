// Our counterpart of the framework's CDialog: a modal dialog on a template, with overridable
// initialisation, OK, Cancel, timer and destruction, run by whichever WindowSystem is in use.
#pragma once

#include <string>

#include "platform/window_system.h"

namespace setup {

class Dialog {
 public:
  Dialog(WindowSystem& windows, int templateId, WindowHandle parent = nullptr)
      : m_hWnd(nullptr), windows_(windows), templateId_(templateId), parent_(parent) {}
  virtual ~Dialog() = default;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Runs the dialog modally; answers the result given to EndDialog().
  int DoModal() { return windows_.RunModalDialog(*this, parent_); }
  int TemplateId() const { return templateId_; }

  // Handlers the window system calls. OnInitDialog answers TRUE to let the system choose the
  // focus (the first tab-stop control). The defaults of OnOK and OnCancel end the dialog.
  virtual bool OnInitDialog() { return true; }
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  virtual void OnTimer(unsigned /*timerId*/) {}
  virtual void OnDestroyWindow() {}

  WindowHandle m_hWnd;  // set by the window system while the window exists

 protected:
  WindowSystem& windows() { return windows_; }
  void EndDialog(int result) { windows_.EndDialog(m_hWnd, result); }
  void SetWindowText(const std::string& text) { windows_.SetWindowText(m_hWnd, text); }
  void SetDlgItemText(int id, const std::string& text) {
    windows_.SetDlgItemText(m_hWnd, id, text);
  }
  std::string GetDlgItemText(int id) { return windows_.GetDlgItemText(m_hWnd, id); }
  // CWnd::MessageBox: owned by this dialog; no caption means the application's title.
  int MessageBox(const std::string& text, const char* caption = nullptr, unsigned style = MB_OK) {
    std::string title = caption != nullptr ? caption : windows_.ApplicationTitle();
    return windows_.MessageBox(m_hWnd, text, title.c_str(), style);
  }

 private:
  WindowSystem& windows_;
  int templateId_;
  WindowHandle parent_;
};

}  // namespace setup
