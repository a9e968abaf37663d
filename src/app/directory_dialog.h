// DirectoryDialog: proposes DefaultDirectory and takes the directory exactly as typed.
#pragma once

#include <string>

#include "platform/dialog.h"
#include "script/setup_script.h"

namespace setup {

class DirectoryDialog : public Dialog {
 public:
  DirectoryDialog(WindowSystem& windows, const SetupScript& script, WindowHandle parent = nullptr);

  bool OnInitDialog() override;
  void OnOK() override;  // Continue; Back is the framework's Cancel

  std::string m_strDirectory;  // set by Continue
  std::string m_strCaption;    // set by the run sequence before the dialog runs

 private:
  const SetupScript& script_;
};

}  // namespace setup
