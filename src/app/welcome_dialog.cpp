// The welcome page: caption and text from the run sequence, and the cancel confirmation.
#include "app/welcome_dialog.h"

#include "resources/resource.h"

namespace setup {

WelcomeDialog::WelcomeDialog(WindowSystem& windows, WindowHandle parent)
    : Dialog(windows, IDD_WELCOME, parent) {}

bool WelcomeDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  SetWindowText(m_strCaption);
  SetDlgItemText(IDC_WELCOME_TEXT, m_strWelcomeText);
  return true;
}

void WelcomeDialog::OnCancel() {
  int answer =
      MessageBox("If you cancel you will NOT install the program.\nDo you really want to cancel?",
                 "WARNING", MB_YESNO);
  if (answer == IDYES) EndDialog(IDCANCEL);
}

}  // namespace setup
