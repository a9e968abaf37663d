// TermsDialog: the terms and conditions from "terms.txt", accepted or refused.
#pragma once

#include "platform/dialog.h"
#include "platform/file_system.h"

namespace setup {

class TermsDialog : public Dialog {
 public:
  TermsDialog(WindowSystem& windows, FileSystem& files, WindowHandle parent = nullptr);

  bool OnInitDialog() override;

 private:
  FileSystem& files_;
};

// The text of "terms.txt" in the current directory up to its first zero byte; empty when the
// file is missing, empty or unreadable.
std::string ReadTermsText(FileSystem& files);

}  // namespace setup
