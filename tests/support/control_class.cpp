// The window class of each kind of control in the dialog template table.
#include "support/control_class.h"

namespace setup::testing {

std::string ControlClassName(ControlKind kind) {
  switch (kind) {
    case ControlKind::kPushButton:
      return "Button";
    case ControlKind::kEdit:
      return "Edit";
    case ControlKind::kStatic:
    case ControlKind::kIcon:
      return "Static";
    case ControlKind::kProgress:
      return "msctls_progress32";
  }
  return "?";
}

}  // namespace setup::testing
