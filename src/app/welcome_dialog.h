// WelcomeDialog: the first page, with the product's welcome text and a confirmed Cancel.
#pragma once

#include <string>

#include "platform/dialog.h"

namespace setup {

class WelcomeDialog : public Dialog {
 public:
  explicit WelcomeDialog(WindowSystem& windows, WindowHandle parent = nullptr);

  bool OnInitDialog() override;
  // Cancel, Esc and the close box: ends the dialog only once the user confirms.
  void OnCancel() override;

  std::string m_strCaption;      // the product name + " Setup"
  std::string m_strWelcomeText;  // the contents of Setup2.txt, CR LF line breaks
};

}  // namespace setup
