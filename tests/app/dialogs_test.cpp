// The three information pages on their own: texts shown, results, what a page hands back.
#include <gtest/gtest.h>

#include <limits>

#include "app/directory_dialog.h"
#include "app/terms_dialog.h"
#include "app/welcome_dialog.h"
#include "resources/resource.h"
#include "support/fake_file_system.h"
#include "support/scripted_window_system.h"
#include "wizard_rig.h"

namespace setup::testing {
namespace {

TEST(WelcomePage, CancelEndsOnlyAfterYes) {
  struct Case {
    std::vector<int> answers;  // one per Cancel press
    int result;
    std::size_t boxes;
  };
  const Case cases[] = {
      {{IDYES}, IDCANCEL, 1}, {{IDNO, IDYES}, IDCANCEL, 2}, {{IDNO}, IDOK, 1},  // then Continue
  };
  for (const Case& c : cases) {
    ScriptedWindowSystem windows;
    WelcomeDialog dialog(windows);
    dialog.m_strCaption = "App Setup";
    dialog.m_strWelcomeText = "Hello\r\nWorld";
    for (int answer : c.answers) {
      windows.QueueAnswer(answer);
      windows.QueueAction([](Dialog& d) { d.OnCancel(); });
    }
    windows.QueueAction([](Dialog& d) { d.OnOK(); });
    EXPECT_EQ(c.result, dialog.DoModal());
    EXPECT_EQ(c.boxes, windows.messageBoxes().size());
    EXPECT_EQ((std::vector<std::string>{"App Setup"}), windows.windowTexts());
    EXPECT_EQ((std::vector<std::string>{"Hello\r\nWorld"}), windows.TextsOf(IDC_WELCOME_TEXT));
  }
}

TEST(TermsPage, ShowsTermsTxtUpToItsFirstZeroByte) {
  struct Case {
    const char* name;
    std::optional<std::string> file;
    std::string shown;
  };
  const Case cases[] = {
      {"missing", std::nullopt, ""},
      {"empty", std::string(), ""},
      {"as it is", std::string("A\r\nB\n\xe9"), "A\r\nB\n\xe9"},
      {"zero byte", std::string("before\0after", 12), "before"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeFileSystem files;
    if (c.file) files.PutFile("terms.txt", *c.file);
    ScriptedWindowSystem windows;
    TermsDialog dialog(windows, files);
    windows.QueueAction([](Dialog& d) { d.OnOK(); });
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ((std::vector<std::string>{c.shown}), windows.TextsOf(IDC_TERMS_TEXT));
    EXPECT_EQ(0, files.openFiles);
  }
}

TEST(TermsPage, ShortReadShowsOnlyWhatWasRead) {
  FakeFileSystem files;
  files.PutFile("terms.txt", "0123456789");
  files.readErrorPath = "terms.txt";
  files.readErrorOffset = 4;
  EXPECT_EQ("0123", ReadTermsText(files).substr(0, 4));
  EXPECT_LE(ReadTermsText(files).size(), 4u);
}

TEST(TermsPage, LengthBeyondTheContentShowsWhatArrived) {
  // A reported length the file does not hold (it shrank, or is beyond any memory) shows the
  // bytes that were there, without a crash and without bytes that were never read.
  struct Case {
    const char* name;
    std::int64_t claimed;
    std::string shown;
  };
  const Case cases[] = {
      {"length as held", 5, "Terms"},
      {"shorter than held", 3, "Ter"},
      {"one byte more than held", 6, "Terms"},
      {"length unknown", -1, ""},
      {"beyond any memory", std::int64_t{1} << 62, "Terms"},
      {"largest length", std::numeric_limits<std::int64_t>::max(), "Terms"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeFileSystem fake;
    fake.PutFile("terms.txt", "Terms");
    LengthClaimingFiles files(fake, "terms.txt", c.claimed);
    EXPECT_EQ(c.shown, ReadTermsText(files));
    EXPECT_EQ(0, fake.openFiles);
  }
}

TEST(DirectoryPage, TakesTheTextExactlyAsTyped) {
  struct Case {
    std::optional<std::string> typed;
    bool back;
    int result;
    std::string directory;
  };
  const Case cases[] = {
      {std::nullopt, false, IDOK, "C:\\Program Files\\App"},
      {std::string(""), false, IDOK, ""},
      {std::string("  D:\\x\\ "), false, IDOK, "  D:\\x\\ "},
      {std::string("D:\\typed"), true, IDCANCEL, "unchanged"},
  };
  for (const Case& c : cases) {
    SetupScript script;
    script.defaultDirectory = "C:\\Program Files\\App";
    ScriptedWindowSystem windows;
    DirectoryDialog dialog(windows, script);
    dialog.m_strCaption = "App Setup";
    dialog.m_strDirectory = "unchanged";
    if (c.typed) {
      std::string typed = *c.typed;
      windows.QueueAction(
          [&windows, typed](Dialog& d) { windows.SetDlgItemText(d.m_hWnd, IDC_DIRECTORY, typed); });
    }
    windows.QueueAction([back = c.back](Dialog& d) { back ? d.OnCancel() : d.OnOK(); });
    EXPECT_EQ(c.result, dialog.DoModal());
    EXPECT_EQ(c.directory, dialog.m_strDirectory);
    EXPECT_EQ((std::vector<std::string>{"App Setup"}), windows.windowTexts());
    EXPECT_EQ("C:\\Program Files\\App", windows.TextsOf(IDC_DIRECTORY).front());
  }
}

}  // namespace
}  // namespace setup::testing
