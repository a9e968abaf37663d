// The full-screen front end without a terminal: keys and clock ticks are fed in, the state of
// the dialogs and the rendered screen are read back.
#include <gtest/gtest.h>

#include <clocale>
#include <deque>
#include <functional>
#include <sstream>

#include "app/directory_dialog.h"
#include "app/terms_dialog.h"
#include "app/welcome_dialog.h"
#include "platform/host/host_text_encoding.h"
#include "resources/resource.h"
#include "support/fake_file_system.h"
#include "ui/line_window_system.h"
#include "ui/terminal/terminal_window_system.h"

namespace setup::testing {
namespace {

constexpr int kWait = -100;  // let the clock run until the next tick is due

// A terminal fed from a queue: keys, waits, and checks of the screen last shown. When the queue
// runs dry the terminal is gone, which ends every loop.
class FakeTerminal final : public Terminal {
 public:
  int Width() override { return width; }
  int Height() override { return height; }
  int ReadKey(int timeoutMs) override {
    while (!steps.empty()) {
      Step step = std::move(steps.front());
      steps.pop_front();
      if (step.check) {
        step.check(last);
        continue;
      }
      if (step.key == kWait) {
        if (timeoutMs < 0) return kKeyNone;
        now += std::chrono::milliseconds(timeoutMs);
        waited += timeoutMs;
        return kKeyNone;
      }
      return step.key;
    }
    return kKeyClosed;
  }
  void Show(const ScreenBuffer& screen) override { last = screen; }
  TimePoint Now() override { return now; }

  void Keys(std::initializer_list<int> keys) {
    for (int key : keys) steps.push_back(Step{key, nullptr});
  }
  void Type(const std::string& text) {
    for (char c : text) steps.push_back(Step{static_cast<unsigned char>(c), nullptr});
  }
  void Check(std::function<void(const ScreenBuffer&)> check) {
    steps.push_back(Step{0, std::move(check)});
  }

  struct Step {
    int key;
    std::function<void(const ScreenBuffer&)> check;
  };
  int width = 80;
  int height = 24;
  TimePoint now{};
  long long waited = 0;
  std::deque<Step> steps;
  ScreenBuffer last{1, 1};
};

bool Shows(const ScreenBuffer& screen, const std::string& text) {
  return screen.ToText().find(text) != std::string::npos;
}

TEST(TerminalWizard, WelcomePageShowsItsTemplateAndEnterContinues) {
  FakeTerminal terminal;
  TerminalWindowSystem windows("setup", terminal);
  WelcomeDialog dialog(windows);
  dialog.m_strCaption = "Sample Setup";
  dialog.m_strWelcomeText = "Hello there.\r\nSecond line\nsame line";
  terminal.Check([](const ScreenBuffer& screen) {
    EXPECT_TRUE(Shows(screen, "Sample Setup")) << screen.ToText();
    EXPECT_TRUE(Shows(screen, "Hello there.")) << screen.ToText();
    EXPECT_TRUE(Shows(screen, "Second line same line")) << "a lone LF is no line break";
    EXPECT_TRUE(Shows(screen, "> Continue <")) << "the first tab stop has the focus";
    EXPECT_TRUE(Shows(screen, "[ Cancel ]"));
    EXPECT_TRUE(Shows(screen, "Enter: default button"));
  });
  terminal.Keys({kKeyEnter});
  EXPECT_EQ(IDOK, dialog.DoModal());
}

TEST(TerminalWizard, EscAsksTheWarningQuestionAndNoLeavesThePage) {
  FakeTerminal terminal;
  TerminalWindowSystem windows("setup", terminal);
  WelcomeDialog dialog(windows);
  dialog.m_strCaption = "Sample Setup";
  terminal.Keys({kKeyEscape});
  terminal.Check([](const ScreenBuffer& screen) {
    EXPECT_TRUE(Shows(screen, "WARNING"));
    EXPECT_TRUE(Shows(screen, "If you cancel you will NOT install the program."));
    EXPECT_TRUE(Shows(screen, "Do you really want to cancel?"));
    EXPECT_TRUE(Shows(screen, "> Yes <")) << "Yes is the default";
    EXPECT_TRUE(Shows(screen, "[ No ]"));
  });
  terminal.Keys({kKeyEscape});  // a Yes/No box ignores Esc
  terminal.Check([](const ScreenBuffer& screen) { EXPECT_TRUE(Shows(screen, "WARNING")); });
  terminal.Keys({'n'});
  terminal.Check([](const ScreenBuffer& screen) {
    EXPECT_FALSE(Shows(screen, "WARNING"));
    EXPECT_TRUE(Shows(screen, "> Continue <"));
  });
  terminal.Keys({kKeyEscape, kKeyRight, kKeyEnter});  // No via the arrow, then Enter
  terminal.Keys({kKeyEscape, kKeyEnter});             // Yes
  EXPECT_EQ(IDCANCEL, dialog.DoModal());
  EXPECT_TRUE(terminal.steps.empty());
}

TEST(TerminalWizard, FocusMovesAndSpaceOrEnterPressTheFocusedButton) {
  struct Case {
    std::vector<int> keys;
    int result;
  };
  const Case cases[] = {
      {{kKeyTab, kKeyEnter}, IDCANCEL},  // Enter presses the focused Cancel
      {{kKeyTab, ' '}, IDCANCEL},
      {{kKeyTab, kKeyTab, kKeyEnter}, IDOK},  // the edit box: the default button
      {{kKeyBackTab, kKeyBackTab, ' '}, IDCANCEL},
      {{kKeyDown, kKeyEnter}, IDCANCEL},  // arrows move between buttons
      {{kKeyDown, kKeyUp, kKeyEnter}, IDOK},
  };
  for (const Case& c : cases) {
    FakeFileSystem files;
    FakeTerminal terminal;
    TerminalWindowSystem windows("setup", terminal);
    TermsDialog dialog(windows, files);
    for (int key : c.keys) terminal.Keys({key});
    EXPECT_EQ(c.result, dialog.DoModal());
  }
}

TEST(TerminalWizard, DirectoryFieldIsEditedAsInWindows) {
  struct Case {
    std::function<void(FakeTerminal&)> keys;
    std::string directory;
  };
  const Case cases[] = {
      {[](FakeTerminal& t) { t.Keys({kKeyEnter}); }, "C:\\Program Files\\Tool"},
      // Tabbing in selects everything: typing replaces it.
      {[](FakeTerminal& t) {
         t.Keys({kKeyTab, kKeyTab});
         t.Type("D:\\New");
         t.Keys({kKeyEnter});
       },
       "D:\\New"},
      {[](FakeTerminal& t) {
         t.Keys({kKeyTab, kKeyTab, kKeyEnd, kKeyBackspace, kKeyBackspace, kKeyBackspace,
                 kKeyBackspace});
         t.Type("Apps");
         t.Keys({kKeyHome, kKeyDelete});
         t.Type("E");
         t.Keys({kKeyEnter});
       },
       "E:\\Program Files\\Apps"},
      {[](FakeTerminal& t) {
         t.Keys({kKeyTab, kKeyTab, kKeyDelete, kKeyEnter});
       },
       ""},
  };
  for (const Case& c : cases) {
    SetupScript script;
    script.defaultDirectory = "C:\\Program Files\\Tool";
    FakeTerminal terminal;
    TerminalWindowSystem windows("setup", terminal);
    DirectoryDialog dialog(windows, script);
    c.keys(terminal);
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ(c.directory, dialog.m_strDirectory);
  }
}

TEST(TerminalWizard, LongDirectoryScrollsWithTheCaret) {
  SetupScript script;
  script.defaultDirectory = "C:\\" + std::string(120, 'x') + "\\END";
  FakeTerminal terminal;
  TerminalWindowSystem windows("setup", terminal);
  DirectoryDialog dialog(windows, script);
  terminal.Check([](const ScreenBuffer& screen) {
    EXPECT_TRUE(Shows(screen, "[C:\\xxx"));
    EXPECT_FALSE(Shows(screen, "END"));
    EXPECT_FALSE(screen.cursorVisible()) << "no caret while a button has the focus";
  });
  terminal.Keys({kKeyTab, kKeyTab, kKeyEnd});
  terminal.Check([](const ScreenBuffer& screen) {
    EXPECT_TRUE(Shows(screen, "\\END")) << screen.ToText();
    EXPECT_TRUE(screen.cursorVisible());
    EXPECT_EQ(' ', screen.At(screen.cursorX(), screen.cursorY()).ch) << "caret after the text";
    EXPECT_EQ('D', screen.At(screen.cursorX() - 1, screen.cursorY()).ch);
  });
  terminal.Keys({kKeyEscape});
  EXPECT_EQ(IDCANCEL, dialog.DoModal());
}

TEST(TerminalWizard, TermsScrollWithPageKeysAndShowTheirPlace) {
  FakeFileSystem files;
  std::string terms;
  for (int i = 1; i <= 40; ++i) terms += "Clause " + std::to_string(i) + "\r\n";
  files.PutFile("terms.txt", terms);
  FakeTerminal terminal;
  TerminalWindowSystem windows("setup", terminal);
  TermsDialog dialog(windows, files);
  int firstThumbRow = -1;
  terminal.Check([&](const ScreenBuffer& screen) {
    EXPECT_TRUE(Shows(screen, "Clause 1\n") || Shows(screen, "Clause 1 "));
    EXPECT_FALSE(Shows(screen, "Clause 40"));
    for (int y = 0; y < screen.height(); ++y) {
      if (screen.Row(y).find('#') != std::string::npos) firstThumbRow = y;
    }
  });
  terminal.Keys({kKeyPageDown});
  terminal.Check([&](const ScreenBuffer& screen) {
    EXPECT_FALSE(Shows(screen, "Clause 1 "));
    EXPECT_TRUE(Shows(screen, "Clause 7"));
  });
  terminal.Keys({kKeyTab, kKeyTab, kKeyEnd});  // focus on the text: End goes to the bottom
  terminal.Check([&](const ScreenBuffer& screen) {
    EXPECT_TRUE(Shows(screen, "Clause 40"));
    int thumbRow = -1;
    for (int y = 0; y < screen.height(); ++y) {
      if (screen.Row(y).find('#') != std::string::npos) thumbRow = y;
    }
    EXPECT_GT(thumbRow, firstThumbRow) << "the scroll bar's thumb moved down";
  });
  terminal.Keys({kKeyHome});
  terminal.Check([](const ScreenBuffer& screen) { EXPECT_TRUE(Shows(screen, "Clause 1 ")); });
  terminal.Keys({kKeyEnter});
  EXPECT_EQ(IDOK, dialog.DoModal());
}

// The installation page's shape: a timer, a status line and a progress bar; no buttons.
class ProgressPage : public Dialog {
 public:
  explicit ProgressPage(WindowSystem& windows) : Dialog(windows, IDD_DECOMPRESS) {}
  bool OnInitDialog() override {
    windows().SetTimer(m_hWnd, 1, 200);
    windows().SetProgressRange(m_hWnd, IDC_PROGRESS, 4u << 16);
    return true;
  }
  void OnOK() override { ++ignoredKeys; }
  void OnCancel() override { ++ignoredKeys; }
  void OnTimer(unsigned) override {
    ++ticks;
    SetDlgItemText(IDC_STATUS, "Expanding file" + std::to_string(ticks) + ".txt");
    windows().SetProgressPos(m_hWnd, IDC_PROGRESS, ticks);
    if (ticks == 4) EndDialog(IDOK);
  }
  int ticks = 0;
  int ignoredKeys = 0;
};

int FilledCells(const ScreenBuffer& screen) {
  int filled = 0;
  for (int y = 0; y < screen.height(); ++y) {
    for (int x = 0; x < screen.width(); ++x)
      filled += screen.At(x, y).style == CellStyle::kProgress;
  }
  return filled;
}

TEST(TerminalWizard, InstallationPageTicksOnItsClockAndFillsItsBar) {
  FakeTerminal terminal;
  TerminalWindowSystem windows("setup", terminal);
  ProgressPage page(windows);
  terminal.Keys({kKeyEnter, kKeyEscape});  // keys do not make time pass
  terminal.Check([&](const ScreenBuffer& screen) {
    EXPECT_EQ(0, page.ticks);
    EXPECT_TRUE(Shows(screen, "Installation"));
    EXPECT_EQ(0, FilledCells(screen));
  });
  terminal.Keys({kWait, kWait});
  int half = 0;
  terminal.Check([&](const ScreenBuffer& screen) {
    EXPECT_EQ(2, page.ticks);
    EXPECT_TRUE(Shows(screen, "Expanding file2.txt"));
    half = FilledCells(screen);
  });
  terminal.Keys({kWait});
  terminal.Check([&](const ScreenBuffer& screen) {
    EXPECT_GT(FilledCells(screen), half);
    EXPECT_GT(half, 0);
  });
  terminal.Keys({kWait});
  EXPECT_EQ(IDOK, page.DoModal());
  EXPECT_EQ(4, page.ticks);
  EXPECT_EQ(2, page.ignoredKeys);
  EXPECT_EQ(800, terminal.waited) << "one tick every 200 ms";
}

TEST(TerminalWizard, SmallTerminalsScaleTheDialogAndResizeRelaysIt) {
  struct Case {
    int width;
    int height;
  };
  for (Case c : {Case{80, 24}, Case{60, 16}, Case{40, 10}, Case{132, 50}}) {
    SetupScript script;
    FakeTerminal terminal;
    terminal.width = c.width;
    terminal.height = c.height;
    TerminalWindowSystem windows("setup", terminal);
    DirectoryDialog dialog(windows, script);
    dialog.m_strCaption = "Tool Setup";
    terminal.Check([&](const ScreenBuffer& screen) {
      ASSERT_EQ(c.width, screen.width());
      EXPECT_TRUE(Shows(screen, "Tool Setup")) << screen.ToText();
      EXPECT_TRUE(Shows(screen, "Continue")) << screen.ToText();
      // The frame fits: a row holds both bottom corners.
      bool corners = false;
      for (int y = 0; y < screen.height(); ++y) {
        std::string row = screen.Row(y);
        std::size_t first = row.find("+-");
        std::size_t last = row.rfind("-+");
        corners =
            corners || (first != std::string::npos && last != std::string::npos && last > first);
      }
      EXPECT_TRUE(corners) << screen.ToText();
    });
    terminal.Keys({kKeyResize});
    terminal.Check([&terminal](const ScreenBuffer&) {
      terminal.width = 50;
      terminal.height = 12;
    });
    terminal.Keys({kKeyResize});
    terminal.Check([](const ScreenBuffer& screen) {
      EXPECT_EQ(50, screen.width());
      EXPECT_TRUE(Shows(screen, "Tool Setup")) << screen.ToText();
    });
    terminal.Keys({kKeyEnter});
    EXPECT_EQ(IDOK, dialog.DoModal());
  }
}

TEST(TerminalWizard, GoneTerminalCancelsAndBoxesTakeTheirDefault) {
  FakeTerminal terminal;  // no steps: the terminal is gone at once
  TerminalWindowSystem windows("setup", terminal);
  WelcomeDialog dialog(windows);
  EXPECT_EQ(IDCANCEL, dialog.DoModal()) << "Esc, then Yes to the warning";
  EXPECT_EQ(IDYES, windows.MessageBox(nullptr, "Go on?", "Error", MB_YESNO));
}

TEST(TerminalMessageBox, KeysFollowTheBoxKind) {
  struct Case {
    unsigned style;
    std::vector<int> keys;
    std::optional<int> answer;  // after the last key
  };
  const Case cases[] = {
      {MB_OK, {kKeyEscape}, IDOK},
      {MB_OKCANCEL, {kKeyEscape}, IDCANCEL},
      {MB_YESNO, {kKeyEscape}, std::nullopt},
      {MB_YESNO, {kKeyEnter}, IDYES},
      {MB_YESNO | 0x100u, {kKeyEnter}, IDNO},
      {MB_YESNO, {kKeyTab, ' '}, IDNO},
      {MB_YESNO, {'N'}, IDNO},
      {MB_YESNO, {'y'}, IDYES},
      {MB_YESNO, {kKeyLeft, kKeyEnter}, IDNO},  // the focus wraps round
  };
  for (const Case& c : cases) {
    MessageBoxView box("Caption", "Text", c.style);
    std::optional<int> answer;
    for (int key : c.keys) answer = box.HandleKey(key);
    EXPECT_EQ(c.answer, answer);
  }
}

TEST(TerminalMessageBox, ShowsCaptionIconTextAndButtons) {
  ScreenBuffer screen(80, 24);
  MessageBoxView box("Error", "Line one\nLine two", MB_ICONERROR);
  box.Render(screen);
  std::string text = screen.ToText();
  EXPECT_NE(std::string::npos, text.find("Error"));
  EXPECT_NE(std::string::npos, text.find("(X)  Line one"));
  EXPECT_NE(std::string::npos, text.find("Line two"));
  EXPECT_NE(std::string::npos, text.find("> OK <"));
}

TEST(TerminalText, EditBoxesWrapLikeWindows) {
  struct Case {
    std::string text;
    int width;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"", 10, {""}},
      {"one\r\ntwo", 10, {"one", "two"}},
      {"one\ntwo\rthree", 20, {"one two three"}},
      {"a b c d e f", 5, {"a b c", "d e f"}},
      {"abcdefghij", 4, {"abcd", "efgh", "ij"}},
      {"tab\there", 20, {"tab     here"}},
      {"end\r\n", 10, {"end", ""}},
      {"caf\xe9", 10, {"caf?"}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.lines, WrapText(c.text, c.width)) << c.text;
}

// The texts of the sample product as its author wrote them, Windows-1252, and as UTF-8.
constexpr const char* kAnsiSample = "Bem-vindo \xE0 instala\xE7\xE3o: \xE0 \xE7 \xE9 \xA9 \x80";
constexpr const char* kUtf8Sample =
    "Bem-vindo \xC3\xA0 instala\xC3\xA7\xC3\xA3o: \xC3\xA0 \xC3\xA7 \xC3\xA9 \xC2\xA9 \xE2\x82\xAC";

TEST(TerminalCodePage, PagesAndBoxesShowTheCodePagesCharacters) {
  HostTextEncoding encoding;  // Windows-1252
  FakeTerminal terminal;
  TerminalWindowSystem windows("setup", terminal, encoding);
  WelcomeDialog dialog(windows);
  dialog.m_strCaption = "Acm\xE9 Setup";
  dialog.m_strWelcomeText = kAnsiSample;
  terminal.Check([](const ScreenBuffer& screen) {
    EXPECT_TRUE(Shows(screen, "Acm\xC3\xA9 Setup")) << screen.ToText();
    EXPECT_TRUE(Shows(screen, kUtf8Sample)) << screen.ToText();
    EXPECT_TRUE(Shows(screen, "Esc: cancel"));
  });
  terminal.Keys({kKeyEscape});
  terminal.Keys({kKeyEnter});
  EXPECT_EQ(IDCANCEL, dialog.DoModal());

  ScreenBuffer screen(80, 24);
  MessageBoxView box("Erro", "Caf\xE9 \x80 10", MB_OK, encoding);
  box.Render(screen);
  EXPECT_TRUE(Shows(screen, "Caf\xC3\xA9 \xE2\x82\xAC 10")) << screen.ToText();
}

TEST(TerminalCodePage, TypedCharactersBecomeAnsiBytesOrAreRefused) {
  struct Case {
    std::vector<int> typed;  // after Tab Tab, which selects the proposal
    std::string directory;
    bool refused;
  };
  const Case cases[] = {
      {{'C', ':', '\\', 'A', 'c', 'm', 0xE9}, "C:\\Acm\xE9", false},
      {{'\\', 0xE0, 0xE7, 0xE9, 0xA9, 0x20AC}, "\\\xE0\xE7\xE9\xA9\x80", false},
      // Polish ł has no byte in Windows-1252: refused, and the text typed so far is kept.
      {{'A', 0x142, 'b'}, "Ab", true},
      // Refused at once: the proposal stays selected and whole.
      {{0x4E2D}, "C:\\Program Files\\Caf\xE9", true},
  };
  for (const Case& c : cases) {
    HostTextEncoding encoding;
    SetupScript script;
    script.defaultDirectory = "C:\\Program Files\\Caf\xE9";
    FakeTerminal terminal;
    TerminalWindowSystem windows("setup", terminal, encoding);
    DirectoryDialog dialog(windows, script);
    terminal.Check([](const ScreenBuffer& screen) {
      EXPECT_TRUE(Shows(screen, "[C:\\Program Files\\Caf\xC3\xA9")) << screen.ToText();
      EXPECT_TRUE(Shows(screen, "Esc: back")) << "Esc presses Back on this page";
    });
    terminal.Keys({kKeyTab, kKeyTab});
    bool sawNotice = false;
    for (int key : c.typed) {
      terminal.Keys({key});
      terminal.Check([&sawNotice](const ScreenBuffer& screen) {
        sawNotice = sawNotice || Shows(screen, "the ANSI code page Windows-1252 has no such");
      });
    }
    terminal.Keys({kKeyEnter});
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ(c.directory, dialog.m_strDirectory);
    EXPECT_EQ(c.refused, sawNotice);
  }
}

TEST(TerminalCodePage, WelcomeBoxSaysWhenMoreTextLiesBelow) {
  HostTextEncoding encoding;
  FakeTerminal terminal;
  TerminalWindowSystem windows("setup", terminal, encoding);
  WelcomeDialog dialog(windows);
  std::string text;
  for (int i = 1; i <= 20; ++i) text += "Linha " + std::to_string(i) + " \xE9\r\n";
  dialog.m_strWelcomeText = text;
  terminal.Check([](const ScreenBuffer& screen) {
    EXPECT_TRUE(Shows(screen, "more: PgDn")) << screen.ToText();
  });
  terminal.Keys({kKeyPageDown, kKeyPageDown, kKeyPageDown, kKeyPageDown});
  terminal.Check([](const ScreenBuffer& screen) {
    EXPECT_TRUE(Shows(screen, "Linha 20 \xC3\xA9")) << screen.ToText();
    EXPECT_FALSE(Shows(screen, "more: PgDn")) << "nothing lies below the end";
  });
  terminal.Keys({kKeyEnter});
  EXPECT_EQ(IDOK, dialog.DoModal());

  FakeTerminal shortTerminal;
  TerminalWindowSystem shortWindows("setup", shortTerminal, encoding);
  WelcomeDialog shortDialog(shortWindows);
  shortDialog.m_strWelcomeText = "Ol\xE1.";
  shortTerminal.Check([](const ScreenBuffer& screen) {
    EXPECT_FALSE(Shows(screen, "more: PgDn")) << screen.ToText();
  });
  shortTerminal.Keys({kKeyEnter});
  EXPECT_EQ(IDOK, shortDialog.DoModal());
}

TEST(TerminalCodePage, WrappingCountsCharactersNotBytes) {
  struct Case {
    std::u32string text;
    int width;
    std::vector<std::u32string> lines;
  };
  const Case cases[] = {
      {U"\u00e0\u00e7\u00e9 \u00a9\u20ac", 5, {U"\u00e0\u00e7\u00e9", U"\u00a9\u20ac"}},
      {U"\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9", 4, {U"\u00e9\u00e9\u00e9\u00e9", U"\u00e9\u00e9"}},
      {U"a\u0081b\tc", 20, {U"a b     c"}},  // a C1 control (an undefined byte) as a blank
  };
  for (const Case& c : cases) EXPECT_EQ(c.lines, WrapText(c.text, c.width));
}

TEST(LineCodePage, PromptsConvertOnTheWayOutAndIn) {
  struct Case {
    std::string input;
    std::string directory;  // "" when the page was left by "<"
    std::vector<std::string> shown;
  };
  const Case cases[] = {
      {"\n", "C:\\Caf\xE9", {"[C:\\Caf\xC3\xA9]"}},
      {"D:\\Acm\xC3\xA9 \xE2\x82\xAC\n", "D:\\Acm\xE9 \x80", {}},
      {"D:\\Ma\xC5\x82y\nD:\\Maly\n",
       "D:\\Maly",
       {"\"\xC5\x82\" cannot be typed: the ANSI code page Windows-1252 has no such character"}},
      {"D:\\caf\xE9\nD:\\ok\n", "D:\\ok", {"not text in this terminal's encoding"}},
  };
  for (const Case& c : cases) {
    HostTextEncoding encoding;
    ASSERT_NE(nullptr, std::setlocale(LC_CTYPE, "C.UTF-8"));
    SetupScript script;
    script.defaultDirectory = "C:\\Caf\xE9";
    StringLineSource in(c.input);
    StringTextSink out;
    LineWindowSystem windows("setup", in, out, encoding);
    DirectoryDialog dialog(windows, script);
    dialog.m_strCaption = "Acm\xE9 Setup";
    EXPECT_EQ(IDOK, dialog.DoModal()) << out.str();
    EXPECT_EQ(c.directory, dialog.m_strDirectory);
    EXPECT_NE(std::string::npos, out.str().find("== Acm\xC3\xA9 Setup ==")) << out.str();
    for (const std::string& text : c.shown) {
      EXPECT_NE(std::string::npos, out.str().find(text)) << out.str();
    }
  }
  std::setlocale(LC_CTYPE, "C");
}

}  // namespace
}  // namespace setup::testing
