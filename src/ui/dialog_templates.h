// The dialog templates of the programs as data, for the front ends that draw dialogs
// themselves (the Windows program reads the same templates from its resource script).
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace setup {

// Window and control styles, with their Win32 values. Named apart from <windows.h>'s macros so
// both may be in scope.
enum : std::uint32_t {
  kWsPopup = 0x80000000u,
  kWsChild = 0x40000000u,
  kWsVisible = 0x10000000u,
  kWsCaption = 0x00C00000u,
  kWsBorder = 0x00800000u,
  kWsVScroll = 0x00200000u,
  kWsSysMenu = 0x00080000u,
  kWsTabStop = 0x00010000u,
  kDsSetFont = 0x40u,
  kDsModalFrame = 0x80u,
  kWsExAppWindow = 0x00040000u,
  kBsPushButton = 0x0u,
  kBsDefPushButton = 0x1u,
  kEsLeft = 0x0u,
  kEsMultiLine = 0x4u,
  kEsAutoHScroll = 0x80u,
  kEsReadOnly = 0x800u,
  kSsLeft = 0x0u,
  kSsIcon = 0x3u,
  kSsSunken = 0x1000u,
};

// The id of controls that are never addressed (IDC_STATIC).
inline constexpr int kNoControlId = -1;

enum class ControlKind {
  kPushButton,  // BUTTON; the style tells a default push button
  kEdit,        // EDIT
  kStatic,      // STATIC text
  kIcon,        // STATIC with SS_ICON; `text` names the icon resource number
  kProgress,    // msctls_progress32
};

struct ControlTemplate {
  int id;
  ControlKind kind;
  const char* text;
  int x, y, cx, cy;  // dialog units
  std::uint32_t style;
};

struct DialogTemplate {
  int id;
  const char* caption;
  int x, y, cx, cy;  // dialog units
  std::uint32_t style;
  std::uint32_t exStyle;
  const char* fontName;
  int fontPointSize;
  std::span<const ControlTemplate> controls;

  // The control of that id, or null.
  const ControlTemplate* Control(int controlId) const;
};

// The template of that resource id (102 to 106), or null.
const DialogTemplate* FindDialogTemplate(int templateId);

// All of them, in resource id order.
std::span<const DialogTemplate> DialogTemplates();

inline bool IsDefaultButton(const ControlTemplate& control) {
  return control.kind == ControlKind::kPushButton && (control.style & 0xFu) == kBsDefPushButton;
}
inline bool IsReadOnly(const ControlTemplate& control) {
  return (control.style & kEsReadOnly) != 0;
}
inline bool IsMultiLine(const ControlTemplate& control) {
  return (control.style & kEsMultiLine) != 0;
}
inline bool IsTabStop(const ControlTemplate& control) { return (control.style & kWsTabStop) != 0; }

}  // namespace setup
