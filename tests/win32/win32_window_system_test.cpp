// The Windows dialog host with real windows: the modal run and its handlers, timers (also
// inside a message box), item texts, the progress bar and the program icon. The templates are
// read from Setup.exe; the tests need a display and skip without one.
#include "platform/win32/win32_window_system.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/win32/windows_headers.h"
#include "resources/resource.h"
#include "support/win32/setup_exe.h"

namespace setup {
namespace {

// A dialog whose handlers are given by the test; it records what reached it.
class TestDialog : public Dialog {
 public:
  TestDialog(WindowSystem& windows, int templateId) : Dialog(windows, templateId) {}

  std::function<void(TestDialog&)> init, ok, cancel, destroy;
  std::function<void(TestDialog&, unsigned)> timer;
  std::vector<std::string> events;

  bool OnInitDialog() override {
    events.push_back("init");
    if (init) init(*this);
    return true;
  }
  void OnOK() override {
    events.push_back("ok");
    if (ok) {
      ok(*this);
    } else {
      Dialog::OnOK();
    }
  }
  void OnCancel() override {
    events.push_back("cancel");
    if (cancel) {
      cancel(*this);
    } else {
      Dialog::OnCancel();
    }
  }
  void OnTimer(unsigned id) override {
    events.push_back("timer " + std::to_string(id));
    if (timer) timer(*this, id);
  }
  void OnDestroyWindow() override {
    events.push_back("destroy");
    if (destroy) destroy(*this);
  }

  HWND hwnd() const { return static_cast<HWND>(m_hWnd); }
  using Dialog::EndDialog;
  using Dialog::MessageBox;
};

class Win32WindowSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no display";
    module_ = LoadLibraryExA(testing::SetupExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, nullptr) << "build Setup.exe first";
    windows_ = std::make_unique<Win32WindowSystem>(module_);
  }
  void TearDown() override {
    windows_.reset();
    if (module_ != nullptr) FreeLibrary(module_);
  }

  HMODULE module_ = nullptr;
  std::unique_ptr<Win32WindowSystem> windows_;
};

TEST_F(Win32WindowSystemTest, EndingDuringInitialisationRunsNoLoop) {
  TestDialog dialog(*windows_, IDD_DECOMPRESS);
  dialog.init = [this](TestDialog& d) {
    EXPECT_NE(windows_->SetTimer(d.m_hWnd, 1, 1), 0u);
    d.EndDialog(2);
  };
  dialog.destroy = [this](TestDialog& d) { windows_->KillTimer(d.m_hWnd, 1); };
  EXPECT_EQ(dialog.DoModal(), 2);
  EXPECT_EQ(dialog.events, (std::vector<std::string>{"init", "destroy"}));
  EXPECT_EQ(dialog.m_hWnd, nullptr);
}

TEST_F(Win32WindowSystemTest, TicksArriveUntilTheDialogEnds) {
  TestDialog dialog(*windows_, IDD_DECOMPRESS);
  int ticks = 0;
  dialog.init = [this](TestDialog& d) { windows_->SetTimer(d.m_hWnd, 1, 10); };
  dialog.timer = [&](TestDialog& d, unsigned) {
    if (++ticks == 3) d.EndDialog(IDOK);
  };
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.events,
            (std::vector<std::string>{"init", "timer 1", "timer 1", "timer 1", "destroy"}));
}

TEST_F(Win32WindowSystemTest, TicksReachTheDialogWhileItsMessageBoxIsOpen) {
  TestDialog dialog(*windows_, IDD_DECOMPRESS);
  int depth = 0, nested = 0;
  dialog.init = [this](TestDialog& d) { windows_->SetTimer(d.m_hWnd, 1, 20); };
  dialog.timer = [&](TestDialog& d, unsigned) {
    if (depth > 0) {
      // A tick from inside the box's own loop: answer the box after a few of them.
      if (++nested == 3) {
        HWND box = FindWindowA("#32770", "Nested");
        ASSERT_NE(box, nullptr);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
      }
      return;
    }
    ++depth;
    EXPECT_EQ(d.MessageBox("Inside a step", "Nested"), IDOK);
    --depth;
    d.EndDialog(IDOK);
  };
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_GE(nested, 3);
}

TEST_F(Win32WindowSystemTest, ButtonsEscapeAndTheCloseBoxReachTheirHandlers) {
  TestDialog dialog(*windows_, IDD_WELCOME);
  int cancels = 0;
  dialog.init = [](TestDialog& d) {
    PostMessageA(d.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    PostMessageA(d.hwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    PostMessageA(GetDlgItem(d.hwnd(), IDC_WELCOME_TEXT), WM_KEYDOWN, VK_ESCAPE, 1);
  };
  // Each stays open, as after a No; the third presses Continue. (The close box and Esc take a
  // detour through WM_CLOSE, so their order among the three is the system's.)
  dialog.cancel = [&](TestDialog& d) {
    if (++cancels == 3) PostMessageA(d.hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  };
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.events,
            (std::vector<std::string>{"init", "cancel", "cancel", "cancel", "ok", "destroy"}));
}

TEST_F(Win32WindowSystemTest, TextsCaptionAndProgressBar) {
  TestDialog dialog(*windows_, IDD_DIRECTORY);
  const std::string longPath = "C:\\" + std::string(2000, 'x');
  dialog.init = [&](TestDialog& d) {
    windows_->SetWindowText(d.m_hWnd, " Setup");
    char caption[32] = {};
    GetWindowTextA(d.hwnd(), caption, sizeof caption);
    EXPECT_STREQ(caption, " Setup");
    EXPECT_EQ(windows_->GetDlgItemText(d.m_hWnd, IDC_DIRECTORY), "");
    windows_->SetDlgItemText(d.m_hWnd, IDC_DIRECTORY, longPath);
    EXPECT_EQ(windows_->GetDlgItemText(d.m_hWnd, IDC_DIRECTORY), longPath);
    EXPECT_EQ(windows_->GetDlgItemText(d.m_hWnd, 4242), "");  // no such control
    d.EndDialog(IDOK);
  };
  EXPECT_EQ(dialog.DoModal(), IDOK);

  TestDialog progress(*windows_, IDD_DECOMPRESS);
  progress.init = [this](TestDialog& d) {
    HWND bar = GetDlgItem(d.hwnd(), IDC_PROGRESS);
    windows_->SetProgressRange(d.m_hWnd, IDC_PROGRESS, 0xFFFFu << 16);  // no files: N - 1
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 0xFFFF);
    windows_->SetProgressRange(d.m_hWnd, IDC_PROGRESS, 7u << 16);
    windows_->SetProgressPos(d.m_hWnd, IDC_PROGRESS, 5);
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, TRUE, 0), 0);
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 7);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 5);
    d.EndDialog(IDOK);
  };
  EXPECT_EQ(progress.DoModal(), IDOK);
}

TEST_F(Win32WindowSystemTest, OnlyThePageWithASystemMenuCarriesTheProgramIcon) {
  struct Case {
    int templateId;
    bool hasIcon;
  };
  for (const Case& c : {Case{IDD_WELCOME, true}, Case{IDD_TERMS, false},
                        Case{IDD_DECOMPRESS, false}, Case{IDD_DIRECTORY, false}}) {
    TestDialog dialog(*windows_, c.templateId);
    dialog.init = [&](TestDialog& d) {
      const LRESULT big = SendMessageA(d.hwnd(), WM_GETICON, ICON_BIG, 0);
      const LRESULT small = SendMessageA(d.hwnd(), WM_GETICON, ICON_SMALL, 0);
      EXPECT_EQ(big != 0, c.hasIcon) << c.templateId;
      EXPECT_EQ(small, big) << c.templateId;
      if (c.hasIcon) {
        EXPECT_EQ(SendMessageA(d.hwnd(), WM_QUERYDRAGICON, 0, 0), big);
      }
      d.EndDialog(IDOK);
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
  }
}

TEST_F(Win32WindowSystemTest, ApplicationTitleIsTheProgramNameAlone) {
  EXPECT_EQ(windows_->ApplicationTitle(), "test_win32");
}

}  // namespace
}  // namespace setup
