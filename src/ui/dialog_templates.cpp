// The dialog templates, control by control in their tab order.
#include "ui/dialog_templates.h"

#include <array>

#include "resources/resource.h"

namespace setup {
namespace {

constexpr std::uint32_t kControl = kWsChild | kWsVisible;
constexpr const char* kFont = "MS Sans Serif";

constexpr std::array kWelcomeControls{
    ControlTemplate{1, ControlKind::kPushButton, "Continue", 200, 4, 50, 14,
                    kControl | kWsTabStop | kBsDefPushButton},
    ControlTemplate{2, ControlKind::kPushButton, "Cancel", 200, 20, 50, 14,
                    kControl | kWsTabStop | kBsPushButton},
    ControlTemplate{IDC_WELCOME_TEXT, ControlKind::kEdit, "", 4, 4, 188, 56,
                    kControl | kWsBorder | kWsTabStop | kEsLeft | kEsMultiLine | kEsReadOnly},
    ControlTemplate{kNoControlId, ControlKind::kIcon, "128", 212, 40, 20, 20,
                    kControl | kSsIcon | kSsSunken},
};

constexpr std::array kTermsControls{
    ControlTemplate{1, ControlKind::kPushButton, "I Agree", 200, 4, 50, 14,
                    kControl | kWsTabStop | kBsDefPushButton},
    ControlTemplate{2, ControlKind::kPushButton, "Cancel", 200, 20, 50, 14,
                    kControl | kWsTabStop | kBsPushButton},
    ControlTemplate{
        IDC_TERMS_TEXT, ControlKind::kEdit, "", 4, 4, 188, 60,
        kControl | kWsBorder | kWsTabStop | kWsVScroll | kEsLeft | kEsMultiLine | kEsReadOnly},
};

constexpr std::array kDecompressControls{
    ControlTemplate{IDC_STATUS, ControlKind::kEdit, "", 32, 4, 136, 12,
                    kControl | kWsBorder | kEsLeft | kEsAutoHScroll | kEsReadOnly},
    ControlTemplate{IDC_PROGRESS, ControlKind::kProgress, "Progress1", 32, 20, 136, 8,
                    kControl | kWsBorder},
    ControlTemplate{kNoControlId, ControlKind::kIcon, "129", 4, 4, 20, 20,
                    kControl | kSsIcon | kSsSunken},
};

constexpr std::array kUninstallControls{
    ControlTemplate{IDC_STATUS, ControlKind::kEdit, "", 32, 4, 136, 12,
                    kControl | kWsBorder | kEsLeft | kEsAutoHScroll | kEsReadOnly},
    ControlTemplate{IDC_PROGRESS, ControlKind::kProgress, "Progress1", 32, 20, 136, 8,
                    kControl | kWsBorder},
    ControlTemplate{kNoControlId, ControlKind::kIcon, "128", 4, 4, 20, 20,
                    kControl | kSsIcon | kSsSunken},
};

constexpr std::array kDirectoryControls{
    ControlTemplate{1, ControlKind::kPushButton, "Continue", 264, 4, 50, 14,
                    kControl | kWsTabStop | kBsDefPushButton},
    ControlTemplate{2, ControlKind::kPushButton, "Back", 264, 20, 50, 14,
                    kControl | kWsTabStop | kBsPushButton},
    ControlTemplate{kNoControlId, ControlKind::kStatic,
                    "Choose the directory where the software will be installed or click Continue "
                    "to accept the default:",
                    4, 4, 252, 16, kControl | kSsLeft},
    ControlTemplate{IDC_DIRECTORY, ControlKind::kEdit, "", 4, 24, 252, 14,
                    kControl | kWsBorder | kWsTabStop | kEsLeft | kEsAutoHScroll},
};

constexpr std::uint32_t kPage = kWsPopup | kWsCaption | kDsModalFrame | kDsSetFont;

const std::array kTemplates{
    DialogTemplate{IDD_WELCOME, "Setup", 0, 0, 256, 65, kPage | kWsVisible | kWsSysMenu,
                   kWsExAppWindow, kFont, 8, kWelcomeControls},
    DialogTemplate{IDD_TERMS, "Terms and Conditions", 0, 0, 256, 69, kPage, kWsExAppWindow, kFont,
                   8, kTermsControls},
    DialogTemplate{IDD_DECOMPRESS, "Installation", 0, 0, 176, 33, kPage | kWsVisible,
                   kWsExAppWindow, kFont, 8, kDecompressControls},
    DialogTemplate{IDD_DIRECTORY, "Setup", 0, 0, 320, 45, kPage, kWsExAppWindow, kFont, 8,
                   kDirectoryControls},
    DialogTemplate{IDD_UNINSTALL, "Uninstall", 0, 0, 176, 33, kPage | kWsVisible, kWsExAppWindow,
                   kFont, 8, kUninstallControls},
};

}  // namespace

const ControlTemplate* DialogTemplate::Control(int controlId) const {
  for (const ControlTemplate& control : controls) {
    if (control.id == controlId) return &control;
  }
  return nullptr;
}

const DialogTemplate* FindDialogTemplate(int templateId) {
  for (const DialogTemplate& dialog : kTemplates) {
    if (dialog.id == templateId) return &dialog;
  }
  return nullptr;
}

std::span<const DialogTemplate> DialogTemplates() { return kTemplates; }

}  // namespace setup
