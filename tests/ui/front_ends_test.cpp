// The front ends without a terminal: unattended answers and line prompts, driving the real
// wizard on an in-memory machine.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "app/setup_app.h"
#include "resources/resource.h"
#include "script/script_loader.h"
#include "support/fake_platform.h"
#include "ui/line_window_system.h"
#include "ui/unattended_window_system.h"

namespace setup::testing {
namespace {

struct Machine {
  explicit Machine(WindowSystem& windows)
      : platform{files, registry, shell, versions, windows, clock} {
    files.PutFile("terms.txt", "Be nice.\r\nReally.");
    files.PutFile("C:\\dist\\Setup2.txt", "Welcome to Tool.");
  }
  void WriteScript(const std::string& extra = "") {
    files.PutFile(
        "plain",
        "X|C:\\Apps\\Tool\r\nK|SZ|HKEY_LOCAL_MACHINE|Software|Tool|Path|?APPDIR?\r\n" + extra);
    static_cast<void>(ScrambleScript(files, "plain", "setup.drc"));
  }
  int Run() {
    SetupApp app(platform, {"C:\\dist\\setup.exe", "My*Tool"});
    int status = app.InitInstance();
    logFilePath = app.LogFilePath();
    return status;
  }
  std::string InstalledPath() const {
    auto value = registry.Get(kHkeyLocalMachine, "Software\\Tool", "Path");
    if (!value) return "(none)";
    return std::string(value->data.begin(), value->data.end() - 1);
  }

  FakeFileSystem files;
  FakeRegistry registry;
  FakeShell shell;
  FakeVersionInfo versions;
  FakeClock clock;
  Platform platform;
  std::string logFilePath;
};

TEST(Unattended, AcceptsEveryPageAndReportsBoxesOnOneLine) {
  struct Case {
    std::optional<std::string> dir;
    std::string extra;
    int status;
    std::string installedAt;
    std::vector<std::string> err;
  };
  const Case cases[] = {
      {std::nullopt,
       "",
       kExitCompleted,
       "C:\\Apps\\Tool",
       {": Installation Successfully Completed. To start the program, just click Start, "
        "Programs and My Tool."}},
      {std::string("D:\\Else"),
       "",
       kExitCompleted,
       "D:\\Else",
       {": Installation Successfully Completed. To start the program, just click Start, "
        "Programs and My Tool."}},
      {std::nullopt, "F|missing.cmp|?APPDIR?\\a.exe\r\n", kExitAborted, "(none)", {}},
  };
  for (const Case& c : cases) {
    StringTextSink err;
    UnattendedWindowSystem windows("setup", c.dir, err);
    Machine machine(windows);
    machine.WriteScript(c.extra);
    EXPECT_EQ(c.status, machine.Run());
    EXPECT_EQ(c.installedAt, machine.InstalledPath());
    std::vector<std::string> lines;
    std::istringstream stream(err.str());
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    if (c.status == kExitAborted) {
      ASSERT_GE(lines.size(), 2u);
      EXPECT_EQ(": Installation Aborted", lines.back());
    } else {
      EXPECT_EQ(c.err, lines);
    }
  }
}

TEST(Unattended, BoxesTakeTheirDefaultButton) {
  struct Case {
    unsigned style;
    const char* caption;
    const char* text;
    int answer;
    const char* line;
  };
  const Case cases[] = {
      {MB_YESNO, "Error", "Go on?", IDYES, "Error: Go on?"},
      {MB_YESNO | 0x100u, "Q", "a\r\nb\nc\rd", IDNO, "Q: a b c d"},
      {MB_OKCANCEL, "", "x", IDOK, ": x"},
      {MB_ICONERROR, nullptr, "Bad\n", IDOK, "Error: Bad "},
  };
  for (const Case& c : cases) {
    StringTextSink err;
    UnattendedWindowSystem windows("setup", std::nullopt, err);
    EXPECT_EQ(c.answer, windows.MessageBox(nullptr, c.text, c.caption, c.style));
    EXPECT_EQ(std::string(c.line) + "\n", err.str());
  }
}

// A page that neither has buttons nor a timer: a user could not end it either.
class StuckPage : public Dialog {
 public:
  explicit StuckPage(WindowSystem& windows) : Dialog(windows, IDD_DECOMPRESS) {}
  void OnOK() override {}
  void OnCancel() override {}
};

TEST(Unattended, PageThatCannotEndIsGivenUpNotWaitedFor) {
  StringTextSink err;
  UnattendedWindowSystem windows("setup", std::nullopt, err);
  StuckPage page(windows);
  EXPECT_EQ(IDCANCEL, page.DoModal());
  EXPECT_NE(std::string::npos, err.str().find("cannot go on without a user")) << err.str();
}

// Ticks come back to back; a page with a timer sees them until it ends itself.
class CountingPage : public Dialog {
 public:
  explicit CountingPage(WindowSystem& windows) : Dialog(windows, IDD_DECOMPRESS) {}
  bool OnInitDialog() override {
    windows().SetTimer(m_hWnd, 1, 60'000);
    return true;
  }
  void OnTimer(unsigned) override {
    if (++ticks == 50) EndDialog(IDOK);
  }
  int ticks = 0;
};

TEST(Unattended, TicksDoNotWaitForTheirPeriod) {
  StringTextSink err;
  UnattendedWindowSystem windows("setup", std::nullopt, err);
  CountingPage page(windows);
  // Fifty ticks of a minute each would hold the run for most of an hour: a watchdog ends the
  // test within seconds instead, and the run must end well before it.
  std::atomic<bool> ended{false};
  std::thread watchdog([&ended] {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!ended && std::chrono::steady_clock::now() < limit) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!ended) {
      std::fputs("the unattended loop waits for the timer's period\n", stderr);
      std::abort();
    }
  });
  const auto start = std::chrono::steady_clock::now();
  const int result = page.DoModal();
  const auto elapsed = std::chrono::steady_clock::now() - start;
  ended = true;
  watchdog.join();
  EXPECT_EQ(IDOK, result);
  EXPECT_EQ(50, page.ticks);
  EXPECT_LT(elapsed, std::chrono::seconds(5));
}

struct LineCase {
  const char* name;
  const char* input;
  int status;
  std::string installedAt;
  std::vector<const char*> shown;  // texts the output must hold, in this order
};

TEST(LinePrompts, OneQuestionPerPage) {
  const LineCase cases[] = {
      {"Enter everywhere",
       "\n\n\n",
       kExitCompleted,
       "C:\\Apps\\Tool",
       {"== My Tool Setup ==", "Welcome to Tool.", "[1] Continue  [2] Cancel (Enter = Continue)",
        "== Terms and Conditions ==", "Be nice.\nReally.", "[1] I Agree  [2] Cancel",
        "== My Tool Setup ==", "Choose the directory", "[C:\\Apps\\Tool]",
        "Enter = Continue, or type a new value; < = Back",
        "Installation Successfully Completed.\nTo start the program, just click\nStart, "
        "Programs and My Tool."}},
      {"typed directory",
       "continue\ni agree\nD:\\Typed Dir\n",
       kExitCompleted,
       "D:\\Typed Dir",
       {}},
      {"cancel confirmed",
       "2\ny\n",
       kExitCancelled,
       "(none)",
       {"WARNING: If you cancel you will NOT install the program.\nDo you really want to "
        "cancel?\n[1] Yes  [2] No (Enter = Yes)"}},
      {"cancel answered No, then Continue, terms refused",
       "cancel\nno\n1\n<\n",
       kExitCancelled,
       "(none)",
       {"WARNING", "[1] Continue  [2] Cancel", "== Terms and Conditions =="}},
      {"back from the directory page",
       "\n\n<\n\n\n",
       kExitCompleted,
       "C:\\Apps\\Tool",
       {"< = Back", "== Terms and Conditions ==", "[C:\\Apps\\Tool]"}},
      {"unclear answers are asked again",
       "c\nxyz\n9\nCONT\n\n\n",
       kExitCompleted,
       "C:\\Apps\\Tool",
       {"Please answer", "Please answer", "Please answer"}},
      {"end of input cancels", "", kExitCancelled, "(none)", {"WARNING"}},
      {"end of input at the directory page goes back and refuses",
       "\n\n",
       kExitCancelled,
       "(none)",
       {"== Terms and Conditions ==", "[C:\\Apps\\Tool]", "== Terms and Conditions =="}},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.name);
    StringLineSource in(c.input);
    StringTextSink out;
    LineWindowSystem windows("setup", in, out);
    Machine machine(windows);
    machine.WriteScript();
    EXPECT_EQ(c.status, machine.Run());
    EXPECT_EQ(c.installedAt, machine.InstalledPath());
    std::size_t at = 0;
    for (const char* text : c.shown) {
      std::size_t found = out.str().find(text, at);
      ASSERT_NE(std::string::npos, found) << "missing '" << text << "' in:\n" << out.str();
      at = found + 1;
    }
  }
}

TEST(LinePrompts, InstallationPagePrintsItsStatusLine) {
  StringLineSource in("\n\n\n");
  StringTextSink out;
  LineWindowSystem windows("setup", in, out);
  Machine machine(windows);
  machine.WriteScript("F|missing.cmp|?APPDIR?\\a.exe\r\n");
  EXPECT_EQ(kExitAborted, machine.Run());
  EXPECT_NE(std::string::npos, out.str().find("== Installation ==\nChecking ")) << out.str();
  EXPECT_NE(std::string::npos, out.str().find("\nInstallation Aborted\n")) << out.str();
}

TEST(FrontEnds, ApplicationTitleIsTheProgramName) {
  EXPECT_EQ("setup", ApplicationTitleFromPath("/opt/dist/setup"));
  EXPECT_EQ("Setup", ApplicationTitleFromPath("D:\\dist\\Setup.EXE"));
  EXPECT_EQ("setup", ApplicationTitleFromPath("setup"));
  EXPECT_EQ(".hidden", ApplicationTitleFromPath("./.hidden"));
  EXPECT_EQ("a.b", ApplicationTitleFromPath("C:a.b.exe"));
}

}  // namespace
}  // namespace setup::testing
