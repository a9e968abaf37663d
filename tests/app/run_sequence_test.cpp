// The run sequence: start-up modes, the step machine with its log lines, the final boxes and the
// exit statuses.
#include <gtest/gtest.h>

#include <limits>

#include "resources/resource.h"
#include "wizard_rig.h"

namespace setup::testing {
namespace {

using Lines = std::vector<std::string>;

const Lines kScript = {
    "; a product without files",
    "X|C:\\Apps\\Tool",
    "K|SZ|HKEY_LOCAL_MACHINE|Software|Tool|Path|?APPDIR?",
};

Lines Header(const std::string& title, std::size_t stars) {
  return {std::string(stars, '*'), title, std::string(stars, '*'), "", "Begin Installation"};
}

Lines Concat(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST(StartUp, ModesDecidedByTheScriptFiles) {
  struct Case {
    const char* name;
    bool drc;
    bool plain;
    bool drcValid;
    int status;
    bool wizardRuns;
    bool errorBox;
  };
  const Case cases[] = {
      {"nothing", false, false, true, kExitCannotStart, false, true},
      {"plain script only: converted", false, true, true, kExitCompleted, false, false},
      {"both: plain ignored", true, true, true, kExitCancelled, true, false},
      {"setup.drc only", true, false, true, kExitCancelled, true, false},
      {"setup.drc with a blank line", true, false, false, kExitCannotStart, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WizardRig rig;
    Lines script = kScript;
    if (!c.drcValid) script.push_back("");
    if (c.drc) rig.WriteScript(script);
    if (c.plain) rig.WritePlainScript({"X|D:\\Other"});
    const std::string drcBefore = rig.files.FileBytes("setup.drc").value_or("");
    // A wizard that runs is cancelled at once on its terms page.
    rig.PressOk();
    rig.PressCancel();

    EXPECT_EQ(c.status, rig.Run());
    EXPECT_EQ(c.wizardRuns, !rig.windows.dialogsRun().empty());
    if (c.errorBox) {
      ASSERT_EQ(1u, rig.windows.messageBoxes().size());
      const auto& box = rig.windows.messageBoxes()[0];
      EXPECT_EQ("One or more files missing, cannot continue installation", box.text);
      EXPECT_EQ("Error", box.caption.value_or("(null)"));
      EXPECT_EQ(static_cast<unsigned>(MB_ICONERROR), box.style);
      EXPECT_EQ(nullptr, box.owner);
      EXPECT_EQ("", rig.pendingLog) << "nothing is logged";
    }
    if (c.drc) {
      EXPECT_EQ(drcBefore, rig.files.FileBytes("setup.drc").value_or(""));
    }
    if (c.plain && !c.drc) {
      EXPECT_TRUE(rig.windows.messageBoxes().empty());
      EXPECT_EQ("", rig.pendingLog);
      // Started again, the converted script runs the wizard.
      rig.PressCancel();
      EXPECT_EQ(kExitCancelled, rig.Run());
      EXPECT_EQ("D:\\Other", rig.defaultDirectory);
    }
  }
}

TEST(StartUp, ConversionThatCannotWriteEndsWithStatusOne) {
  WizardRig rig;
  rig.WritePlainScript(kScript);
  rig.files.openErrors["setup.drc"] = 13;
  EXPECT_EQ(kExitCannotStart, rig.Run());
  EXPECT_TRUE(rig.windows.messageBoxes().empty());
  EXPECT_TRUE(rig.windows.dialogsRun().empty());
}

TEST(Wizard, CompleteRunLogsEveryStepInOrder) {
  WizardRig rig;
  rig.WriteScript(kScript);
  rig.files.PutFile("C:\\dist\\Setup2.txt", "Welcome!\r\nSecond line");
  rig.files.PutFile("terms.txt", "Terms");
  rig.PressOk();                              // Continue
  rig.PressOk();                              // I Agree
  rig.PressCancel();                          // Back
  rig.PressOk();                              // I Agree again
  rig.TypeInto(IDC_DIRECTORY, "C:\\Chosen");  // the page starts from the default again
  rig.PressOk();                              // Continue

  EXPECT_EQ(kExitCompleted, rig.Run({"C:\\dist\\setup.exe", "My*App"}));

  EXPECT_EQ((std::vector<int>{IDD_WELCOME, IDD_TERMS, IDD_DIRECTORY, IDD_TERMS, IDD_DIRECTORY,
                              IDD_DECOMPRESS}),
            rig.windows.dialogsRun());
  EXPECT_EQ((Lines{"C:\\Apps\\Tool", "C:\\Apps\\Tool", "C:\\Chosen"}),
            rig.windows.TextsOf(IDC_DIRECTORY));
  EXPECT_EQ((Lines{"Welcome!\r\nSecond line"}), rig.windows.TextsOf(IDC_WELCOME_TEXT));
  EXPECT_EQ((Lines{"Terms", "Terms"}), rig.windows.TextsOf(IDC_TERMS_TEXT));

  ASSERT_EQ("C:\\Chosen\\SETUP.LOG", rig.logFilePath);
  Lines messages = MessagesOf(rig.files.FileBytes(rig.logFilePath).value_or(""));
  Lines wizard = Concat({Header("MY APP - INSTALLATION LOG FILE", 30),
                         {"Terms and conditions accepted",
                          "Destination directory not chosen, back to Terms and Conditions",
                          "Terms and conditions accepted", "Destination directory: C:\\Chosen",
                          "Decompression box opened"}});
  ASSERT_GE(messages.size(), wizard.size());
  EXPECT_EQ(wizard, Lines(messages.begin(), messages.begin() + wizard.size()));
  EXPECT_EQ("Destroying decompression box", messages[messages.size() - 2]);
  EXPECT_EQ("Installation Successfully Completed", messages.back());

  ASSERT_EQ(1u, rig.windows.messageBoxes().size());
  const auto& box = rig.windows.messageBoxes()[0];
  EXPECT_EQ(
      "Installation Successfully Completed.\nTo start the program, just click\nStart, Programs "
      "and My App.",
      box.text);
  EXPECT_EQ("", box.caption.value_or("(null)"));
  EXPECT_EQ(static_cast<unsigned>(MB_OK), box.style);
  EXPECT_EQ(nullptr, box.owner);
  EXPECT_TRUE(rig.registry.Get(kHkeyLocalMachine, "Software\\Tool", "Path").has_value());
}

TEST(Wizard, FinalBoxesStandOnTheirSideOfTheirLogLine) {
  // The clock moves on while the final box is open: the success line is written after the box,
  // the abort line before it.
  for (bool abort : {false, true}) {
    SCOPED_TRACE(abort ? "abort" : "success");
    WizardRig rig;
    Lines script = kScript;
    if (abort) script.push_back("F|missing.cmp|?APPDIR?\\app.exe");
    rig.WriteScript(script);
    rig.windows.SetMessageBoxHook([&rig](const auto& box) {
      if (box.caption.value_or("x").empty()) rig.clock.Set(2027, 1, 2, 3, 4, 5);
    });
    rig.PressOk();
    rig.PressOk();
    rig.PressOk();

    EXPECT_EQ(abort ? kExitAborted : kExitCompleted, rig.Run());
    const std::string log = rig.files.FileBytes(rig.logFilePath).value_or("");
    Lines messages = MessagesOf(log);
    Lines stamps = TimestampsOf(log);
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(abort ? "Installation Aborted (DlgDecompress did not return IDOK)"
                    : "Installation Successfully Completed",
              messages.back());
    EXPECT_EQ(abort ? "06 Dec 2026 08:11:32" : "02 Jan 2027 03:04:05", stamps.back());
    const auto& box = rig.windows.messageBoxes().back();
    EXPECT_EQ(abort ? "Installation Aborted"
                    : "Installation Successfully Completed.\nTo start the program, just "
                      "click\nStart, Programs and .",
              box.text);
    EXPECT_EQ("", box.caption.value_or("(null)"));
    EXPECT_EQ(nullptr, box.owner);
  }
}

TEST(Wizard, EarlyEndsLeaveNoLogFile) {
  struct Case {
    const char* name;
    std::function<void(WizardRig&)> act;
    int status;
    Lines pending;
  };
  const Case cases[] = {
      {"cancel confirmed at the welcome page",
       [](WizardRig& rig) {
         rig.windows.QueueAnswer(IDYES);
         rig.PressCancel();
       },
       kExitCancelled,
       {"Installation cancelled"}},
      {"terms refused",
       [](WizardRig& rig) {
         rig.PressOk();
         rig.PressCancel();
       },
       kExitCancelled,
       Concat({Header(" - INSTALLATION LOG FILE", 24),
               {"Terms and conditions not accepted, installation aborted"}})},
      {"cancel answered No, then Continue, then terms refused",
       [](WizardRig& rig) {
         rig.windows.QueueAnswer(IDNO);
         rig.PressCancel();
         rig.PressOk();
         rig.PressCancel();
       },
       kExitCancelled,
       Concat({Header(" - INSTALLATION LOG FILE", 24),
               {"Terms and conditions not accepted, installation aborted"}})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WizardRig rig;
    rig.WriteScript(kScript);
    c.act(rig);
    EXPECT_EQ(c.status, rig.Run({"setup"}));
    EXPECT_EQ("", rig.logFilePath);
    Lines pending = MessagesOf(rig.pendingLog);
    // The welcome text was looked for in the current directory and is missing.
    ASSERT_FALSE(pending.empty());
    EXPECT_EQ("Failed to load Setup2.txt. Reported reason: No such file or directory", pending[0]);
    EXPECT_EQ(c.pending, Lines(pending.begin() + 1, pending.end()));
    EXPECT_FALSE(rig.files.FileExists("C:\\Apps\\Tool\\SETUP.LOG"));
  }
}

TEST(Wizard, WelcomeCancelAsksTheWarningQuestion) {
  WizardRig rig;
  rig.WriteScript(kScript);
  rig.windows.QueueAnswer(IDYES);
  rig.PressCancel();
  rig.Run({"setup", "Tool"});
  ASSERT_EQ(1u, rig.windows.messageBoxes().size());
  const auto& box = rig.windows.messageBoxes()[0];
  EXPECT_EQ("If you cancel you will NOT install the program.\nDo you really want to cancel?",
            box.text);
  EXPECT_EQ("WARNING", box.caption.value_or("(null)"));
  EXPECT_EQ(static_cast<unsigned>(MB_YESNO), box.style);
  EXPECT_NE(nullptr, box.owner) << "owned by the welcome page";
  EXPECT_EQ((Lines{"Tool Setup"}), rig.windows.windowTexts());
}

TEST(Wizard, ProductNameShapesCaptionsHeaderAndSuccessText) {
  struct Case {
    Lines arguments;
    const char* caption;
    const char* title;
    std::size_t stars;
    const char* successEnd;
  };
  const Case cases[] = {
      {{"setup"}, " Setup", " - INSTALLATION LOG FILE", 24, "Start, Programs and ."},
      {{"setup", "My*Fine*App"},
       "My Fine App Setup",
       "MY FINE APP - INSTALLATION LOG FILE",
       35,
       "Start, Programs and My Fine App."},
      {{"setup", "caf\xe9*2"},
       "caf\xe9 2 Setup",
       "CAF\xe9 2 - INSTALLATION LOG FILE",
       30,
       "Start, Programs and caf\xe9 2."},
      {{"setup", "100%*sure"},
       "100% sure Setup",
       "100% SURE - INSTALLATION LOG FILE",
       33,
       "Start, Programs and 100% sure."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    WizardRig rig;
    rig.WriteScript(kScript);
    rig.PressOk();
    rig.PressOk();
    rig.PressOk();
    ASSERT_EQ(kExitCompleted, rig.Run(c.arguments));
    // Welcome and directory pages; the installation page keeps its own caption.
    EXPECT_EQ((Lines{c.caption, c.caption}), rig.windows.windowTexts());
    Lines messages = MessagesOf(rig.files.FileBytes(rig.logFilePath).value_or(""));
    ASSERT_GE(messages.size(), 5u);
    EXPECT_EQ(Header(c.title, c.stars), Lines(messages.begin() + 1, messages.begin() + 6));
    const std::string& text = rig.windows.messageBoxes().back().text;
    EXPECT_EQ(c.successEnd, text.substr(text.rfind('\n') + 1));
  }
}

TEST(Wizard, WelcomeTextIsReadWholeOrNotAtAll) {
  struct Case {
    const char* name;
    std::optional<std::string> file;
    int openError;
    std::string shown;
    const char* logLine;  // first pending line, or "" when none
  };
  const Case cases[] = {
      {"CR LF text as it is", std::string("One\r\nTwo\nThree"), 0, "One\r\nTwo\nThree", ""},
      {"stops at a zero byte", std::string("Hi\0there", 8), 0, "Hi", ""},
      {"empty file: no text, no line", std::string(), 0, "", ""},
      {"missing", std::nullopt, 0, "",
       "Failed to load C:\\dist\\Setup2.txt. Reported reason: No such file or directory"},
      {"not readable", std::string("x"), 13, "",
       "Failed to load C:\\dist\\Setup2.txt. Reported reason: Permission denied"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WizardRig rig;
    rig.WriteScript(kScript);
    if (c.file) rig.files.PutFile("C:\\dist\\Setup2.txt", *c.file);
    if (c.openError != 0) rig.files.openErrors["C:\\dist\\Setup2.txt"] = c.openError;
    rig.windows.QueueAnswer(IDYES);
    rig.PressCancel();
    rig.Run({"C:\\dist\\setup.exe"});
    EXPECT_EQ((Lines{c.shown}), rig.windows.TextsOf(IDC_WELCOME_TEXT));
    Lines pending = MessagesOf(rig.pendingLog);
    ASSERT_FALSE(pending.empty());
    EXPECT_EQ(std::string(c.logLine).empty() ? "Installation cancelled" : c.logLine, pending[0]);
  }
}

TEST(Wizard, WelcomeTextShorterThanItsReportedLengthIsNotShown) {
  // Only a read that delivers the whole reported length counts; a length the file does not hold
  // (it shrank, or its size is beyond any memory) gives an empty page, no log line, no crash.
  struct Case {
    const char* name;
    std::int64_t claimed;
    std::string shown;
  };
  const Case cases[] = {
      {"length as held", 7, "Welcome"},
      {"one byte more than held", 8, ""},
      {"length unknown", -1, ""},
      {"beyond any memory", std::int64_t{1} << 62, ""},
      {"largest length", std::numeric_limits<std::int64_t>::max(), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WizardRig rig;
    rig.WriteScript(kScript);
    rig.files.PutFile("C:\\dist\\Setup2.txt", "Welcome");
    LengthClaimingFiles files(rig.files, "C:\\dist\\Setup2.txt", c.claimed);
    Platform platform{files, rig.registry, rig.shell, rig.versions, rig.windows, rig.clock};
    rig.windows.QueueAnswer(IDYES);
    rig.PressCancel();
    SetupApp app(platform, {"C:\\dist\\setup.exe"});
    EXPECT_EQ(kExitCancelled, app.InitInstance());
    EXPECT_EQ((Lines{c.shown}), rig.windows.TextsOf(IDC_WELCOME_TEXT));
    EXPECT_EQ((Lines{"Installation cancelled"}), MessagesOf(app.log().Pending()));
    EXPECT_EQ(0, rig.files.openFiles);
  }
}

TEST(Wizard, WelcomeTextPathFollowsArgumentZero) {
  struct Case {
    const char* argument0;
    bool slash;
    const char* path;
  };
  const Case cases[] = {
      {"setup", false, "Setup2.txt"},
      {"D:\\setup.exe", false, "D:\\Setup2.txt"},
      {"D:setup.exe", false, "D:Setup2.txt"},
      {"\\setup.exe", false, "Setup2.txt"},
      {"C:\\a:b\\dist\\setup.exe", false, "C:\\a:b\\dist\\Setup2.txt"},
      {"C:\\dist\\x:setup.exe", false, "C:\\dist\\x:Setup2.txt"},
      {"/opt/dist/setup", false, "Setup2.txt"},
      {"/opt/dist/setup", true, "/opt/dist/Setup2.txt"},
      {"./setup", true, "./Setup2.txt"},
      {"../dist/setup", true, "../dist/Setup2.txt"},
      {"/setup", true, "Setup2.txt"},
      {"", true, "Setup2.txt"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.path, WelcomeTextPath(c.argument0, c.slash)) << c.argument0;
  }
}

TEST(Wizard, DestinationThatCannotHoldTheLogStillReportsNoLogFile) {
  // The log cannot be created and the user goes on without it: no SETUP.LOG to point at, and
  // the run is installed, but not whole.
  WizardRig rig;
  rig.WriteScript(kScript);
  rig.files.openErrors["C:\\Apps\\Tool\\SETUP.LOG"] = 13;
  rig.windows.QueueAnswer(IDYES);  // go on without a log file
  rig.PressOk();
  rig.PressOk();
  rig.PressOk();
  EXPECT_EQ(kExitIncomplete, rig.Run());
  EXPECT_EQ("", rig.logFilePath);
}

}  // namespace
}  // namespace setup::testing
