// The terms page: shows "terms.txt" as it is; I Agree and Cancel are the framework's.
#include "app/terms_dialog.h"

#include <algorithm>
#include <cstdint>
#include <exception>

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
  // A short read shows what arrived rather than bytes that were never read. The buffer grows
  // with what the file delivers, so a length the file does not hold (it shrank, or is beyond
  // any memory) never becomes one allocation that cannot be had.
  constexpr std::size_t kPiece = 64 * 1024;
  const auto wanted = static_cast<std::uint64_t>(length);
  std::string text;
  try {
    while (text.size() < wanted) {
      const std::size_t have = text.size();
      const auto piece = static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, wanted - have));
      text.resize(have + piece);
      const std::size_t got = file->Read(text.data() + have, piece);
      text.resize(have + got);
      if (got < piece) break;
    }
  } catch (const std::exception&) {  // bad_alloc, or length_error past the largest string
  }
  return text.substr(0, text.find('\0'));
}

}  // namespace setup
