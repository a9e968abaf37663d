// The progress page of the uninstaller.
#include "uninstall/dlg_uninstall.h"

#include <cstdint>

#include "resources/resource.h"

namespace setup {
namespace {

constexpr unsigned kStepTimerId = 1;
constexpr unsigned kStepPeriodMs = 50;

}  // namespace

DlgUninstall::DlgUninstall(WindowSystem& windows, UninstallEngine& engine)
    : Dialog(windows, IDD_UNINSTALL), engine_(engine) {}

bool DlgUninstall::OnInitDialog() {
  Dialog::OnInitDialog();
  const std::size_t count = engine_.steps().size();
  const auto maximum = static_cast<std::uint16_t>(count > 0xFFFF ? 0xFFFF : count);
  windows().SetProgressRange(m_hWnd, IDC_PROGRESS, static_cast<std::uint32_t>(maximum) << 16);
  m_nTimerId = windows().SetTimer(m_hWnd, kStepTimerId, kStepPeriodMs);
  if (m_nTimerId == 0) {
    // Without a timer the page would never move: do the work at once.
    while (m_nStep < count) {
      engine_.steps()[m_nStep].run(m_hWnd);
      ++m_nStep;
    }
    EndDialog(IDOK);
  }
  return true;
}

void DlgUninstall::OnTimer(unsigned /*timerId*/) {
  if (m_bBusy != 0) return;
  m_bBusy = 1;
  const auto& steps = engine_.steps();
  if (m_nStep < steps.size()) {
    SetDlgItemText(IDC_STATUS, steps[m_nStep].status);
    steps[m_nStep].run(m_hWnd);
    ++m_nStep;
    windows().SetProgressPos(m_hWnd, IDC_PROGRESS, static_cast<int>(m_nStep));
  }
  if (m_nStep >= steps.size()) EndDialog(IDOK);
  m_bBusy = 0;
}

void DlgUninstall::OnDestroyWindow() {
  if (m_nTimerId != 0) windows().KillTimer(m_hWnd, m_nTimerId);
  Dialog::OnDestroyWindow();
}

}  // namespace setup
