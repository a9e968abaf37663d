// The terms page: shows "terms.txt" as it is; I Agree and Cancel are the framework's.
#include "app/terms_dialog.h"

#include "app/read_up_to.h"
#include "resources/resource.h"

namespace setup {

TermsDialog::TermsDialog(WindowSystem& windows, FileSystem& files, WindowHandle parent)
    : Dialog(windows, IDD_TERMS, parent), files_(files) {}

bool TermsDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  SetDlgItemText(IDC_TERMS_TEXT, ReadTermsText(files_));
  return true;
}

std::string ReadTermsText(FileSystem& files) {
  std::unique_ptr<File> file = files.Open("terms.txt", OpenMode::kReadBinary, nullptr);
  if (file == nullptr) return std::string();
  std::int64_t length = file->Length();
  if (length <= 0) return std::string();
  std::string text;
  // A read that falls short keeps what arrived.
  static_cast<void>(ReadUpTo(*file, length, &text));
  return text.substr(0, text.find('\0'));
}

}  // namespace setup
