// The command line: options anywhere, the product name after them, clear errors.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <sstream>

#include "app/product_name.h"
#include "app/run_setup.h"

namespace setup {
namespace {

using Args = std::vector<std::string>;

TEST(CommandLine, OptionsStandAnywhereAndLeaveTheArguments) {
  struct Case {
    Args argv;
    Args arguments;
    bool unattended;
    std::optional<std::string> machine;
    std::optional<std::string> directory;
  };
  const Case cases[] = {
      {{"setup"}, {"setup"}, false, {}, {}},
      {{"setup", "My*App"}, {"setup", "My*App"}, false, {}, {}},
      {{"setup", "--unattended", "My*App"}, {"setup", "My*App"}, true, {}, {}},
      {{"setup", "My*App", "--dir=C:\\X Y", "--machine=/tmp/m"},
       {"setup", "My*App"},
       false,
       "/tmp/m",
       "C:\\X Y"},
      {{"setup", "--dir=", "--unattended"}, {"setup"}, true, {}, ""},
      {{"setup", "--", "--unattended"}, {"setup", "--unattended"}, false, {}, {}},
      {{"setup", "-x"}, {"setup", "-x"}, false, {}, {}},
      {{"--unattended"}, {"--unattended"}, false, {}, {}},  // argument 0 is never an option
      {{}, {""}, false, {}, {}},
  };
  for (const Case& c : cases) {
    CommandLine line;
    std::string error;
    ASSERT_TRUE(ParseCommandLine(c.argv, &line, &error)) << error;
    EXPECT_EQ(c.arguments, line.arguments);
    EXPECT_EQ(c.unattended, line.unattended);
    EXPECT_EQ(c.machine, line.machine);
    EXPECT_EQ(c.directory, line.directory);
  }
}

// What fleet tools (winget, Intune, Configuration Manager, Chocolatey) send: never the product
// name, never the wizard.
TEST(CommandLine, DeploymentToolSwitchesAreOptions) {
  struct Case {
    Args argv;
    Args arguments;
    bool unattended;
    std::optional<std::string> directory;
    std::optional<std::string> logCopy;
  };
  const Case cases[] = {
      {{"Setup.exe", "/S"}, {"Setup.exe"}, true, {}, {}},
      {{"Setup.exe", "/silent", "Acme"}, {"Setup.exe", "Acme"}, true, {}, {}},
      {{"Setup.exe", "Acme", "/VERYSILENT"}, {"Setup.exe", "Acme"}, true, {}, {}},
      {{"Setup.exe", "/quiet"}, {"Setup.exe"}, true, {}, {}},
      {{"Setup.exe", "/qn"}, {"Setup.exe"}, true, {}, {}},
      {{"Setup.exe", "/S", "/D=C:\\Program Files\\Acme"},
       {"Setup.exe"},
       true,
       "C:\\Program Files\\Acme",
       {}},
      // /D= takes the rest of the line, blanks and all, as NSIS does.
      {{"Setup.exe", "/S", "/D=C:\\Program", "Files\\Acme", "Tools"},
       {"Setup.exe"},
       true,
       "C:\\Program Files\\Acme Tools",
       {}},
      {{"Setup.exe", "/VERYSILENT", "/DIR=C:\\Apps\\Acme", "/LOG=C:\\logs\\acme.log"},
       {"Setup.exe"},
       true,
       "C:\\Apps\\Acme",
       "C:\\logs\\acme.log"},
      // A caller that hands the quotes through.
      {{"Setup.exe", "/dir=\"C:\\A B\"", "/log=\"C:\\l.log\""},
       {"Setup.exe"},
       false,
       "C:\\A B",
       "C:\\l.log"},
      {{"setup", "--log=/tmp/a.log", "Acme"}, {"setup", "Acme"}, false, {}, "/tmp/a.log"},
      // Anything else that begins with '/' is still an argument, as before.
      {{"Setup.exe", "/X"}, {"Setup.exe", "/X"}, false, {}, {}},
      {{"Setup.exe", "/SILENTLY"}, {"Setup.exe", "/SILENTLY"}, false, {}, {}},
      {{"Setup.exe", "--", "/S"}, {"Setup.exe", "/S"}, false, {}, {}},
  };
  for (const Case& c : cases) {
    CommandLine line;
    std::string error;
    ASSERT_TRUE(ParseCommandLine(c.argv, &line, &error)) << error;
    EXPECT_EQ(c.arguments, line.arguments) << c.argv[1];
    EXPECT_EQ(c.unattended, line.unattended) << c.argv[1];
    EXPECT_EQ(c.directory, line.directory) << c.argv[1];
    EXPECT_EQ(c.logCopy, line.logCopy) << c.argv[1];
  }
  for (const Args& bad :
       {Args{"setup", "/LOG="}, Args{"setup", "--log="}, Args{"setup", "--log"}}) {
    CommandLine line;
    std::string error;
    EXPECT_FALSE(ParseCommandLine(bad, &line, &error)) << bad[1];
    EXPECT_NE(std::string::npos, error.find("=PATH")) << error;
  }
}

TEST(CommandLine, BadOptionsAreNamed) {
  struct Case {
    Args argv;
    const char* mentions;
  };
  const Case cases[] = {
      {{"setup", "--unatended"}, "--unatended"}, {{"setup", "App", "--dir"}, "--dir=PATH"},
      {{"setup", "--machine"}, "--machine=DIR"}, {{"setup", "--machine="}, "--machine=DIR"},
      {{"setup", "--help=x"}, "--help=x"},
  };
  for (const Case& c : cases) {
    CommandLine line;
    std::string error;
    EXPECT_FALSE(ParseCommandLine(c.argv, &line, &error));
    EXPECT_NE(std::string::npos, error.find(c.mentions)) << error;
  }
}

TEST(CommandLine, InformationalOptionsEndTheProgram) {
  struct Case {
    Args argv;
    bool allowMachine;
    std::optional<int> status;
    const char* out;
    const char* err;
  };
  const Case cases[] = {
      {{"setup", "--help"}, true, 0, "--machine=DIR", ""},
      {{"Setup.exe", "--help"}, false, 0, "Usage: Setup.exe", ""},
      {{"setup", "--version"}, true, 0, "Setup 1.0.0", ""},
      {{"setup", "--bogus"}, true, 1, "", "setup: unknown option '--bogus'"},
      {{"Setup.exe", "--machine=C:\\m"}, false, 1, "", "--machine"},
      {{"setup", "--machine=/m", "App"}, true, std::nullopt, "", ""},
  };
  for (const Case& c : cases) {
    CommandLine line;
    std::string error;
    bool parsed = ParseCommandLine(c.argv, &line, &error);
    StringTextSink out, err;
    EXPECT_EQ(c.status,
              HandleInformationalOptions(parsed, error, line, c.argv[0], c.allowMachine, out, err));
    EXPECT_NE(std::string::npos, out.str().find(c.out)) << out.str();
    EXPECT_NE(std::string::npos, err.str().find(c.err)) << err.str();
    if (std::string(c.out).empty()) {
      EXPECT_EQ("", out.str());
    }
  }
}

TEST(CommandLine, WindowsUsageDoesNotOfferMachine) {
  EXPECT_EQ(std::string::npos, UsageText("Setup.exe", false).find("--machine"));
}

TEST(ProductName, StarsBecomeBlanksOneForOne) {
  EXPECT_EQ("", GetProductName({"setup"}));
  EXPECT_EQ("", GetProductName({}));
  EXPECT_EQ("My Fine App", GetProductName({"setup", "My*Fine*App"}));
  EXPECT_EQ("  a  ", GetProductName({"setup", "**a**"}));
  EXPECT_EQ("x\\y", GetProductName({"setup", "x\\y", "ignored"}));
}

}  // namespace
}  // namespace setup
