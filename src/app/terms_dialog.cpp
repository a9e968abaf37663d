// The terms page: shows "terms.txt" as it is; I Agree and Cancel are the framework's.
#include "app/terms_dialog.h"

#include <cstring>
#include <vector>

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
  std::vector<char> buffer(static_cast<std::size_t>(length));
  // A short read shows what arrived rather than bytes that were never read.
  std::size_t got = file->Read(buffer.data(), buffer.size());
  std::size_t end = 0;
  while (end < got && buffer[end] != '\0') ++end;
  return std::string(buffer.data(), end);
}

}  // namespace setup
