// The window class each kind of control in the dialog template table must be made of, for the
// tests that compare the table with the resource script and with the compiled program.
#pragma once

#include <string>

#include "ui/dialog_templates.h"

namespace setup::testing {

// "Button", "Edit", "Static" (icons too) or "msctls_progress32".
std::string ControlClassName(ControlKind kind);

}  // namespace setup::testing
