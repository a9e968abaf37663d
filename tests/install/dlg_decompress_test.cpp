// The installation page: preparation and its failures, status line and progress bar, timer,
// nested ticks, the closing sequence with shortcuts and registry values, and the log of a run.
#include "install/dlg_decompress.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "base/registry_access.h"
#include "support/engine_rig.h"
#include "support/lnk_reader.h"

namespace setup::testing {
namespace {

using Box = ScriptedWindowSystem::MessageBoxRecord;

void ExpectDialogBox(const EngineRig& rig, const Box& box, const std::string& text,
                     const char* caption = "Setup", unsigned style = MB_OK) {
  EXPECT_EQ(text, box.text);
  EXPECT_EQ(rig.DialogWindow(), box.owner);
  EXPECT_NE(nullptr, box.owner);
  EXPECT_EQ(std::optional<std::string>(caption), box.caption);
  EXPECT_EQ(style, box.style);
}

TEST(DlgDecompress, CompleteRunPlacesEverythingAndLogsToTheEnd) {
  EngineRig rig;
  const std::string app = rig.Path("App");
  const std::string sys = rig.Path("Sys");
  rig.PutFile(sys + "\\shared.dll", DllImage(4, 0));
  rig.PutPayload("app.cmp", "program");
  rig.PutPayload("shared.cmp", DllImage(4, 1));
  rig.PutPayload("hidden.cmp", "private");
  rig.WriteScript({
      "H|private",
      "F|app.cmp|?APPDIR?\\app.exe",
      "F|hidden.cmp|?APPDIR?\\private.dat",
      "F|shared.cmp|" + sys + "\\shared.dll",
      "X|C:\\Ignored",
  });

  EXPECT_EQ(IDOK, rig.Run(app));
  EXPECT_EQ(-1, rig.lastStep);
  EXPECT_EQ(0, rig.lastBusy);
  EXPECT_EQ(1, rig.lastDllsUpgraded);
  EXPECT_EQ("program", rig.ReadFile(app + "\\app.exe"));
  EXPECT_EQ("private", rig.ReadFile(app + "\\private.dat"));
  EXPECT_EQ(DllImage(4, 1), rig.ReadFile(sys + "\\shared.dll"));
  EXPECT_EQ(DllImage(4, 0), rig.ReadFile(app + "\\Backup\\shared.dll"));
  EXPECT_EQ(7, rig.windows.ticks()) << "two per file, one for the closing sequence";

  // Status line and progress bar: a check's text with a hidden name is not shown.
  EXPECT_EQ(
      (std::vector<std::string>{"Checking app.exe", "Expanding app.exe", "Expanding private.dat",
                                "Checking shared.dll", "Expanding shared.dll"}),
      rig.windows.TextsOf(1002));
  EXPECT_EQ((std::vector<int>{0, 0, 1, 2, 2}), rig.windows.progressPositions());
  EXPECT_EQ(std::vector<std::uint32_t>{2u << 16}, rig.windows.progressRanges());

  // One timer of 20 ms with identifier 1, killed when the window goes.
  ASSERT_EQ(1u, rig.windows.timersSet().size());
  EXPECT_EQ(1u, rig.windows.timersSet()[0].id);
  EXPECT_EQ(20u, rig.windows.timersSet()[0].periodMs);
  ASSERT_EQ(1u, rig.windows.timersKilled().size());
  EXPECT_EQ(1u, rig.windows.timersKilled()[0].id);
  EXPECT_EQ(rig.DialogWindow(), rig.windows.timersKilled()[0].window);

  const std::vector<std::string> log = rig.CloseLog();
  ASSERT_GE(log.size(), 6u);
  EXPECT_EQ("Decompression box opened", log[0]) << "lines logged before the file came first";
  EXPECT_TRUE(ContainsInOrder(
      log, {"Decompression box opened", "Created: " + app,
            "Directory " + app + "\\ certified to be ok", "Temporary path exists and is ok"}));
  const std::vector<std::string> ending(log.end() - 3, log.end());
  EXPECT_EQ((std::vector<std::string>{"End of Installation", "Some dlls were upgraded",
                                      "Destroying decompression box"}),
            ending);
  for (const std::string& line : log) {
    EXPECT_EQ(std::string::npos, line.find("private")) << line;
  }
}

// On a fast machine a tick runs steps back to back for its share of time; the check of a library
// (it raises a count in the registry) ends its tick, and nothing runs after an abort.
TEST(DlgDecompress, FastStepsShareATickUntilItsTimeIsUp) {
  EngineRig rig;
  rig.clock.millisecondsPerReading = 1;
  const std::string app = rig.Path("App");
  std::vector<std::string> lines;
  for (int i = 0; i < 40; ++i) {
    rig.PutPayload("f" + std::to_string(i) + ".cmp", "file " + std::to_string(i));
    lines.push_back("F|f" + std::to_string(i) + ".cmp|?APPDIR?\\f" + std::to_string(i) + ".txt");
  }
  rig.PutPayload("lib.cmp", DllImage(1, 0));
  lines.insert(lines.begin() + 5, "F|lib.cmp|?APPDIR?\\lib.dll");
  rig.WriteScript(lines);

  EXPECT_EQ(IDOK, rig.Run(app));
  for (int i = 0; i < 40; ++i) {
    EXPECT_EQ("file " + std::to_string(i), rig.ReadFile(app + "\\f" + std::to_string(i) + ".txt"));
  }
  // 83 steps at one reading each after the tick's first: 5 files and the library's check in the
  // first tick, then 30 readings per tick, the closing sequence in the last.
  EXPECT_EQ(4, rig.windows.ticks());

  EngineRig aborted;
  aborted.clock.millisecondsPerReading = 1;
  aborted.PutPayload("a.cmp", "a");
  // The second file's folder is the first file: its expansion fails and ends the run.
  aborted.WriteScript(
      {"F|a.cmp|?APPDIR?\\a.txt", "F|a.cmp|?APPDIR?\\a.txt\\b.txt", "F|a.cmp|?APPDIR?\\c.txt"});
  EXPECT_EQ(kRunAborted, aborted.Run(aborted.Path("App")));
  EXPECT_EQ(1, aborted.windows.ticks());
  EXPECT_FALSE(aborted.Exists(aborted.Path("App\\c.txt"))) << "no step after the run ended";
}

TEST(DlgDecompress, ScriptWithoutFilesClosesOnTheFirstTick) {
  EngineRig rig;
  rig.WriteScript({"; nothing to install"});
  EXPECT_EQ(IDOK, rig.Run(rig.Path("App")));
  EXPECT_EQ(std::vector<std::uint32_t>{0xFFFF0000u}, rig.windows.progressRanges());
  EXPECT_EQ(1, rig.windows.ticks());
  EXPECT_TRUE(rig.windows.progressPositions().empty());
  EXPECT_TRUE(rig.windows.messageBoxes().empty());
  const std::vector<std::string> log = rig.CloseLog();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ("End of Installation", log[log.size() - 2]);
  EXPECT_EQ("Destroying decompression box", log.back());
}

TEST(DlgDecompress, PreparationFailuresEndTheRunBeforeAnyTick) {
  struct Case {
    const char* name;
    std::function<void(EngineRig&)> arrange;
    std::string destination;  // relative to the scratch folder
    std::vector<int> answers;
    int result;
    std::vector<std::string> boxes;  // text; the rest checked per case below
    std::vector<std::string> logLines;
  };
  const std::vector<Case> cases = {
      {"destination cannot be created",
       [](EngineRig& rig) {
         rig.PutFile(rig.Path("F"), "a file");
         rig.WriteScript({"F|a.cmp|?APPDIR?\\a.txt"});
       },
       "F\\App",
       {},
       2,
       {"Failed to create destination directory, please check problem and restart install"},
       {"Decompression box opened", "Destroying decompression box"}},
      {"no script",
       [](EngineRig&) {},
       "App",
       {},
       2,
       {"One or more files missing, cannot continue installation"},
       {"One or more files missing, LoadFileList(m_hWnd,\"setup.drc\",S\\App) failed. "
        "Installation aborted.",
        "Destroying decompression box"}},
      {"script with a blank line",
       [](EngineRig& rig) {
         rig.WriteScript({"F|a.cmp|?APPDIR?\\a.txt", ""});
       },
       "App",
       {},
       2,
       {"One or more files missing, cannot continue installation"},
       {"One or more files missing, LoadFileList(m_hWnd,\"setup.drc\",S\\App) failed. "
        "Installation aborted.",
        "Destroying decompression box"}},
      {"log file refused, answer No",
       [](EngineRig& rig) {
         rig.files.CreateDirectory(rig.Path("App"));
         rig.files.CreateDirectory(rig.Path("App\\SETUP.LOG"));
         rig.WriteScript({"F|a.cmp|?APPDIR?\\a.txt"});
       },
       "App",
       {IDNO},
       2,
       {"Failed to create setup log file, do you wish try to continue?"},
       {"Decompression box opened", "Destroying decompression box"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EngineRig rig;
    c.arrange(rig);
    for (int answer : c.answers) rig.windows.QueueAnswer(answer);
    const std::string scratch = rig.machine.scratch;
    EXPECT_EQ(c.result, rig.Run(rig.Path(c.destination)));
    EXPECT_EQ(0, rig.windows.ticks());
    EXPECT_FALSE(rig.windows.stalled());
    EXPECT_EQ(1u, rig.windows.progressRanges().size()) << "the range is set after an abort too";
    ASSERT_EQ(c.boxes.size(), rig.windows.messageBoxes().size());
    for (std::size_t i = 0; i < c.boxes.size(); ++i) {
      const bool question = c.boxes[i].find("do you wish") != std::string::npos;
      ExpectDialogBox(rig, rig.windows.messageBoxes()[i], c.boxes[i], question ? "Error" : "Setup",
                      question ? MB_YESNO : MB_OK);
    }
    std::vector<std::string> expected;
    for (std::string line : c.logLines) {
      const std::size_t at = line.find("S\\App");
      if (at != std::string::npos) line.replace(at, 1, scratch);
      expected.push_back(line);
    }
    EXPECT_TRUE(ContainsInOrder(rig.CloseLog(), expected));
  }
}

TEST(DlgDecompress, RefusedLogFileWithYesGoesOnAndKeepsTheLinesInMemory) {
  EngineRig rig;
  const std::string app = rig.Path("App");
  rig.files.CreateDirectory(app);
  rig.files.CreateDirectory(app + "\\SETUP.LOG");
  rig.PutPayload("a.cmp", "data");
  rig.WriteScript({"F|a.cmp|?APPDIR?\\a.txt"});

  EXPECT_EQ(IDOK, rig.Run(app));
  EXPECT_EQ("data", rig.ReadFile(app + "\\a.txt"));
  EXPECT_FALSE(rig.log->IsOpen());
  const std::vector<std::string> log = rig.CloseLog();
  EXPECT_TRUE(ContainsInOrder(log, {"Decompression box opened", "File decompressed ok",
                                    "End of Installation", "Destroying decompression box"}));
}

#if !defined(_WIN32)
// The host's machine keeps its temporary directory in its registry; Windows' cannot be moved
// by a test.
TEST(DlgDecompress, TemporaryPathThatIsAFileEndsTheRun) {
  EngineRig rig;
  ASSERT_NE(nullptr, rig.machine.registry);
  rig.PutFile(rig.Path("tmpfile"), "not a directory");
  const std::string tmp = rig.Path("tmpfile");
  ASSERT_EQ(1, WriteRegistryString(*rig.machine.registry, "HKEY_CURRENT_USER\\Environment\\TMP",
                                   tmp + "\\", '\\'));
  rig.WriteScript({"F|a.cmp|?APPDIR?\\a.txt"});

  EXPECT_EQ(2, rig.Run(rig.Path("App")));
  EXPECT_EQ(tmp, rig.lastTempDir) << "the trailing backslash is dropped";
  EXPECT_EQ(0, rig.windows.ticks());
  ASSERT_EQ(1u, rig.windows.messageBoxes().size());
  const Box& box = rig.windows.messageBoxes()[0];
  EXPECT_EQ(
      "The specified Windows temporary directory setting is wrong.\nPlease correct the problem "
      "and reinstall.\nWrong path: " +
          tmp + "\n",
      box.text);
  EXPECT_EQ(nullptr, box.owner);
  EXPECT_EQ(std::optional<std::string>("Error"), box.caption);
  EXPECT_EQ(MB_ICONERROR, box.style);
  EXPECT_TRUE(ContainsInOrder(rig.CloseLog(),
                              {"Temporary path: " + tmp + "\\",
                               "Temporary path is a file, not a directory. Must abort installation",
                               "Destroying decompression box"}));
}

TEST(DlgDecompress, TemporaryDirectoryIsCreatedWhenMissing) {
  EngineRig rig;
  const std::string tmp = rig.Path("Tmp\\Deep");
  ASSERT_EQ(1, WriteRegistryString(*rig.machine.registry, "HKEY_CURRENT_USER\\Environment\\TMP",
                                   tmp, '\\'));
  rig.WriteScript({"; empty"});
  EXPECT_EQ(IDOK, rig.Run(rig.Path("App")));
  EXPECT_TRUE(rig.IsDirectory(tmp));
  EXPECT_TRUE(ContainsInOrder(rig.CloseLog(), {"Temporary path: " + tmp + "\\", "Created: " + tmp,
                                               "Temporary path exists and is ok"}));
}

// Only a trailing backslash after something else is dropped: a root's stays as the system gave it.
TEST(DlgDecompress, TemporaryPathLosesOnlyATrailingBackslashAfterOtherText) {
  struct Case {
    std::string setting;  // TMP as the machine keeps it
    std::string kept;     // m_strTempDir
  };
  const std::vector<Case> cases = {
      {"C:\\", "C:"},
      {"\\", "\\"},
      {"C:\\scratch\\Tmp\\", "C:\\scratch\\Tmp"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.setting);
    EngineRig rig;
    rig.files.CreateDirectory(rig.Path("Tmp"));
    ASSERT_EQ(1, WriteRegistryString(*rig.machine.registry, "HKEY_CURRENT_USER\\Environment\\TMP",
                                     c.setting, '\\'));
    rig.WriteScript({"; empty"});
    EXPECT_EQ(IDOK, rig.Run(rig.Path("App")));
    EXPECT_EQ(c.kept, rig.lastTempDir);
    EXPECT_TRUE(ContainsInOrder(rig.CloseLog(), {"Temporary path: " + c.setting}));
  }
}

// Preparation goes on without the temporary directory; the first library that needs a version
// comparison then cannot be expanded into it and ends the run.
TEST(DlgDecompress, TemporaryDirectoryThatCannotBeCreatedIsOnlyLogged) {
  EngineRig rig;
  const std::string app = rig.Path("App");
  rig.PutFile(rig.Path("tmpfile"), "not a directory");
  const std::string tmp = rig.Path("tmpfile\\Sub");
  ASSERT_EQ(1, WriteRegistryString(*rig.machine.registry, "HKEY_CURRENT_USER\\Environment\\TMP",
                                   tmp, '\\'));
  rig.PutPayload("a.cmp", "data");
  rig.PutPayload("lib.cmp", DllImage(2, 0));
  rig.PutFile(app + "\\lib.dll", DllImage(1, 0));
  rig.WriteScript({"F|a.cmp|?APPDIR?\\a.txt", "F|lib.cmp|?APPDIR?\\lib.dll"});

  EXPECT_EQ(2, rig.Run(app));
  EXPECT_EQ(tmp, rig.lastTempDir);
  EXPECT_EQ(10, rig.lastStep) << "ended in the library's check";
  EXPECT_EQ("data", rig.ReadFile(app + "\\a.txt"));
  EXPECT_EQ(DllImage(1, 0), rig.ReadFile(app + "\\lib.dll"));
  ASSERT_FALSE(rig.windows.messageBoxes().empty());
  EXPECT_EQ("Failed to decompress lib.cmp to " + tmp + "\\lib.dll, please check disk space",
            rig.windows.messageBoxes().back().text);
  const std::vector<std::string> log = rig.CloseLog();
  EXPECT_TRUE(ContainsInOrder(
      log,
      {"Temporary path: " + tmp + "\\", "EnsureDirectory(" + tmp + "\\) returned FALSE.",
       "File decompressed ok", "Failed to decompress lib.cmp to " + tmp + "\\lib.dll, must abort",
       "Destroying decompression box"}));
  for (const std::string& line : log) {
    EXPECT_NE("Temporary path exists and is ok", line);
    EXPECT_NE("Temporary path is a file, not a directory. Must abort installation", line);
  }
}

// The installation directory is used as typed: an empty one puts everything in the root of the
// current drive, a bare name is never created, so its log file needs a directory already there.
TEST(DlgDecompress, InstallationDirectoryTakenAsTyped) {
  struct Case {
    const char* name;
    std::string destDir;
    bool existsBefore;
    std::vector<int> answers;
    int result;
    std::vector<std::string> boxes;
    std::string placed;  // where a.txt lands; empty when nowhere
  };
  const std::vector<Case> cases = {
      {"empty", "", false, {}, IDOK, {}, "\\a.txt"},
      {"bare name, existing", "Prog", true, {}, IDOK, {}, "Prog\\a.txt"},
      {"bare name, missing, answer No",
       "Prog",
       false,
       {IDNO},
       2,
       {"Failed to create setup log file, do you wish try to continue?"},
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EngineRig rig;
    if (c.existsBefore) {
      ASSERT_EQ(kErrorSuccess, rig.files.CreateDirectory(c.destDir));
    }
    for (int answer : c.answers) rig.windows.QueueAnswer(answer);
    rig.PutPayload("a.cmp", "data");
    rig.WriteScript({"F|a.cmp|?APPDIR?\\a.txt"});

    EXPECT_EQ(c.result, rig.Run(c.destDir));
    EXPECT_EQ(c.existsBefore, rig.IsDirectory(c.destDir)) << "a bare name is never created";
    std::vector<std::string> boxes;
    for (const Box& box : rig.windows.messageBoxes()) boxes.push_back(box.text);
    EXPECT_EQ(c.boxes, boxes);
    if (!c.placed.empty()) {
      EXPECT_EQ("data", rig.ReadFile(c.placed));
      EXPECT_TRUE(rig.log->IsOpen());
      EXPECT_TRUE(rig.Exists(c.destDir + "\\SETUP.LOG"));
    } else {
      EXPECT_FALSE(rig.log->IsOpen());
      EXPECT_EQ(0, rig.windows.ticks());
    }
    EXPECT_TRUE(ContainsInOrder(rig.CloseLog(), {"Decompression box opened"}));
  }
}
#endif

TEST(DlgDecompress, EnterAndEscapeDoNothing) {
  EngineRig rig;
  rig.PutPayload("a.cmp", "data");
  rig.WriteScript({"F|a.cmp|?APPDIR?\\a.txt"});
  for (int i = 0; i < 3; ++i) {
    rig.windows.QueueAction([](Dialog& dialog) {
      dialog.OnOK();
      dialog.OnCancel();
    });
  }
  EXPECT_EQ(IDOK, rig.Run(rig.Path("App")));
  EXPECT_EQ(0, rig.windows.endDialogCalls() - 1) << "only the closing sequence ends the run";
  EXPECT_EQ("data", rig.ReadFile(rig.Path("App\\a.txt")));
}

// A box shown inside a step runs a message loop that delivers the timer to the dialog; such a
// tick must change nothing, so a run with nested ticks goes exactly as one without.
TEST(DlgDecompress, TickInsideAMessageBoxDoesNothing) {
  struct Outcome {
    int result;
    int step;
    std::vector<std::string> log;
    std::vector<std::string> boxes;
    std::vector<std::string> status;
  };
  auto run = [](bool nested, bool failPlacement) {
    EngineRig rig;
    rig.windows.SetTickInsideMessageBoxes(nested);
    const std::string app = rig.Path("App");
    rig.PutFile(app + "\\lib.dll", DllImage(1, 0));
    rig.PutPayload("lib.cmp", DllImage(1, 1));
    rig.PutPayload("b.cmp", "b");
    rig.WriteScript({"F|lib.cmp|?APPDIR?\\lib.dll",
                     failPlacement ? "F|missing.cmp|?APPDIR?\\gone.txt" : "; placed",
                     "F|b.cmp|?APPDIR?\\b.txt", "K|SZ|HKEY_NOWHERE|Key|Name|value",
                     "K|SZ|HKEY_CURRENT_USER|Software|Example|Name|value"});
    Outcome outcome;
    outcome.result = rig.Run(app);
    outcome.step = rig.lastStep;
    // Each rig has a scratch folder of its own.
    auto unscratched = [&rig](std::string text) {
      for (std::size_t at = text.find(rig.machine.scratch); at != std::string::npos;
           at = text.find(rig.machine.scratch, at)) {
        text.replace(at, rig.machine.scratch.size(), "<scratch>");
      }
      return text;
    };
    for (const std::string& line : rig.CloseLog()) outcome.log.push_back(unscratched(line));
    for (const Box& box : rig.windows.messageBoxes())
      outcome.boxes.push_back(unscratched(box.text));
    outcome.status = rig.windows.TextsOf(1002);
    if (nested) {
      EXPECT_EQ(static_cast<int>(outcome.boxes.size()), rig.windows.nestedTicks());
    }
    return outcome;
  };
  for (bool failPlacement : {false, true}) {
    SCOPED_TRACE(failPlacement ? "failed placement" : "complete run");
    const Outcome plain = run(false, failPlacement);
    const Outcome nested = run(true, failPlacement);
    EXPECT_EQ(failPlacement ? 2 : IDOK, plain.result);
    EXPECT_FALSE(plain.boxes.empty());
    EXPECT_EQ(plain.result, nested.result);
    EXPECT_EQ(plain.step, nested.step);
    EXPECT_EQ(plain.log, nested.log);
    EXPECT_EQ(plain.boxes, nested.boxes);
    EXPECT_EQ(plain.status, nested.status);
  }
}

// The timer starts before the preparation's boxes; a tick they deliver must not run a step on
// the tables of the start-up load, whose destinations do not yet name the chosen directory.
TEST(DlgDecompress, TickInsideAPreparationBoxDoesNothing) {
  for (bool nested : {false, true}) {
    SCOPED_TRACE(nested ? "nested tick" : "no nested tick");
    EngineRig rig;
    rig.windows.SetTickInsideMessageBoxes(nested);
    const std::string app = rig.Path("App");
    rig.files.CreateDirectory(app);
    rig.files.CreateDirectory(app + "\\SETUP.LOG");
    rig.PutPayload("a.cmp", "data");
    rig.WriteScript({"F|a.cmp|?APPDIR?\\a.txt"});
    rig.script.files = {FileEntry{"a.cmp", "APPDIR\\a.txt"}};  // as start-up loaded it

    EXPECT_EQ(IDOK, rig.Run(app));
    EXPECT_EQ(nested ? 1 : 0, rig.windows.nestedTicks());
    EXPECT_EQ(3, rig.windows.ticks());
    EXPECT_EQ((std::vector<std::string>{"Checking a.txt", "Expanding a.txt"}),
              rig.windows.TextsOf(1002));
    EXPECT_EQ("data", rig.ReadFile(app + "\\a.txt"));
    EXPECT_FALSE(rig.Exists("APPDIR\\a.txt"));
    for (const std::string& line : rig.CloseLog()) {
      EXPECT_EQ(std::string::npos, line.find("APPDIR\\")) << line;
    }
  }
}

TEST(DlgDecompress, TimerThatCouldNotBeSetIsNotKilled) {
  EngineRig rig;
  rig.windows.SetTimerResultOverride(0u);
  rig.WriteScript({"; empty"});
  rig.Run(rig.Path("App"));
  EXPECT_FALSE(rig.windows.stalled()) << "without a timer the run ends at once";
  EXPECT_TRUE(rig.windows.timersKilled().empty());
  EXPECT_EQ("Destroying decompression box", rig.CloseLog().back());
}

TEST(DlgDecompress, FinishedRunIgnoresLateTicks) {
  EngineRig rig;
  DlgDecompress dialog(rig.context);
  dialog.MarkFinished();
  dialog.OnTimer(1);
  dialog.OnTimer(1);
  EXPECT_EQ(-1, dialog.Step());
  EXPECT_FALSE(dialog.Busy());
  EXPECT_TRUE(rig.log->Pending().empty());
  EXPECT_TRUE(rig.windows.messageBoxes().empty());
  EXPECT_EQ(0, rig.windows.endDialogCalls());
}

TEST(DlgDecompress, RegistryEntriesAreWrittenInOrderEachFailureToldOnItsOwn) {
  EngineRig rig;
  const std::string app = rig.Path("App");
  rig.WriteScript({
      "K|SZ|HKEY_CURRENT_USER|Software|Example|Path|?APPDIR?",
      "K|SZ|HKEY_NOWHERE|Software|Example|Name|lost",
      "K|DWORD|hkey_current_user|Software|Example|Runs|255",
      "K#DWORD#HKEY_CURRENT_USER#Software#Example#Zero#0",
      "K|dword|HKEY_CURRENT_USER|Software|Example|Bad|1",
      "K|SZ|HKEY_LOCAL_MACHINE|Software|Example|Last|end",
  });
  EXPECT_EQ(IDOK, rig.Run(app));

  const std::string uninstallLost =
      "Uninstall information could not successfully\nbe input to registry. The program can run "
      "normally,\nbut its uninstallation will have to be done\nmanually.";
  ASSERT_EQ(1u, rig.windows.messageBoxes().size());
  ExpectDialogBox(rig, rig.windows.messageBoxes()[0], uninstallLost);

  const auto path = rig.registry.Get(kHkeyCurrentUser, "Software\\Example", "Path");
  ASSERT_TRUE(path);
  EXPECT_EQ(REG_SZ, path->type);
  EXPECT_EQ(app.size() + 1, path->data.size());
  const auto runs = rig.registry.Get(kHkeyCurrentUser, "Software\\Example", "Runs");
  ASSERT_TRUE(runs);
  EXPECT_EQ(REG_DWORD, runs->type);
  EXPECT_EQ((std::vector<std::uint8_t>{0xFF, 0, 0, 0}), runs->data);
  EXPECT_FALSE(rig.registry.Get(kHkeyCurrentUser, "Software\\Example", "Bad"));
  EXPECT_TRUE(rig.registry.Get(kHkeyLocalMachine, "Software\\Example", "Last"));

  const std::vector<std::string> log = rig.CloseLog();
  EXPECT_TRUE(ContainsInOrder(
      log, {"Key added successfully: HKEY_CURRENT_USER|Software|Example|Path=" + app,
            "Registry not successfully updated",
            "Key added successfully: hkey_current_user|Software|Example|Runs=ff",
            "Key added successfully: HKEY_CURRENT_USER#Software#Example#Zero=0",
            "Failed to add registry key. Unknown type: (null)",
            "Key added successfully: HKEY_LOCAL_MACHINE|Software|Example|Last=end",
            "End of Installation"}));
  EXPECT_EQ(1, std::count(log.begin(), log.end(), "Registry not successfully updated"));
}

TEST(DlgDecompress, ShortcutsAreSavedAndFailuresLetTheRunGoOn) {
  EngineRig rig;
  const std::string app = rig.Path("App");
  const std::string longName(280, 'n');
  rig.WriteScript({
      "L|nobackslash.lnk|?APPDIR?\\app.exe|Without a group",
      "L|?APPDIR?\\Group\\Example.lnk|?APPDIR?\\app.exe|Example program",
      "L|?APPDIR?\\Group\\" + longName + ".lnk|?APPDIR?\\long.exe|Too long a path",
      "L|?APPDIR?\\Group\\Second.lnk|?APPDIR?\\second.exe|Same group",
      "K|SZ|HKEY_CURRENT_USER|Software|Example|After|links",
  });
  EXPECT_EQ(IDOK, rig.Run(app));

  const auto& boxes = rig.windows.messageBoxes();
  ASSERT_EQ(2u, boxes.size());
  ExpectDialogBox(rig, boxes[0],
                  "Failed to create group.\nYou still can run the program and\nuninstaller from "
                  "their directory");
  ExpectDialogBox(rig, boxes[1],
                  "Failed to create start menu shortcut to\n" + app +
                      "\\long.exe\nYou still can run the program from its directory");
  EXPECT_EQ(3, rig.shell.coInitializeCalls) << "every shortcut attempted gets its own COM";
  EXPECT_EQ(3, rig.shell.coUninitializeCalls);

  const std::optional<std::string> bytes = rig.ReadFile(app + "\\Group\\Example.lnk");
  ASSERT_TRUE(bytes);
  const std::optional<ParsedShellLink> link = ParseShellLink(*bytes);
  ASSERT_TRUE(link);
  EXPECT_EQ(app + "\\app.exe", link->target);
  EXPECT_EQ("Example program", link->description);
  EXPECT_TRUE(rig.Exists(app + "\\Group\\Second.lnk"));
  EXPECT_FALSE(rig.Exists(app + "\\Group\\" + longName + ".lnk"));

  EXPECT_TRUE(ContainsInOrder(
      rig.CloseLog(), {"Failed to create group: nobackslash.lnk.", "Created: " + app + "\\Group",
                       "Successfully created: " + app + "\\Group\\Example.lnk",
                       "Failed to create shortcut to " + app + "\\long.exe",
                       "Directory " + app + "\\Group\\Second.lnk certified to be ok",
                       "Successfully created: " + app + "\\Group\\Second.lnk",
                       "Key added successfully: HKEY_CURRENT_USER|Software|Example|After=links",
                       "End of Installation"}));
}

}  // namespace
}  // namespace setup::testing
