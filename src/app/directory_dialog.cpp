// The directory page: starts from DefaultDirectory every time it is shown.
#include "app/directory_dialog.h"

#include "resources/resource.h"

namespace setup {

DirectoryDialog::DirectoryDialog(WindowSystem& windows, const SetupScript& script,
                                 WindowHandle parent)
    : Dialog(windows, IDD_DIRECTORY, parent), script_(script) {}

bool DirectoryDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  std::string proposed = script_.defaultDirectory;
  SetWindowText(m_strCaption);
  SetDlgItemText(IDC_DIRECTORY, proposed);
  return true;
}

void DirectoryDialog::OnOK() {
  // Taken as typed: not trimmed, not checked; the installation creates it.
  m_strDirectory = GetDlgItemText(IDC_DIRECTORY);
  EndDialog(IDOK);
}

}  // namespace setup
