// Whole installations on a machine folder whose file layer fails the N-th call of one operation:
// a full disk, refused opens, failed moves, unreadable payloads. After every run the failure was
// told to the user, a run that answers success installed every byte, and the installed library
// being replaced is never lost.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/registry_access.h"
#include "decompress/lzhuf_encoder.h"
#include "host/install_machine.h"
#include "platform/host/host_platform.h"
#include "script/scrambling.h"
#include "support/pe_writer.h"

namespace setup::testing {
namespace {

namespace fs = std::filesystem;

std::string Dll(std::uint16_t major) {
  PeOptions options;
  options.major = major;
  return MakePeDll(options);
}

// Bytes that compress poorly enough to take several of the decoder's output blocks.
std::string ProgramBytes() {
  std::string bytes;
  std::uint32_t state = 12345;
  for (int i = 0; i < 300000; ++i) {
    state = state * 1103515245u + 12345u;
    bytes.push_back(static_cast<char>(i % 7 == 0 ? (state >> 16) & 0xFF : 'a' + i % 13));
  }
  return bytes;
}

// What every run starts from: the payloads, the script and an installed older library.
struct Product {
  std::string program = ProgramBytes();
  std::string readme = "Read me first.\r\n";
  std::string oldLibrary = Dll(1);
  std::string newLibrary = Dll(2);
  std::string programPayload = lzhuf::CompressBuffer(program);
  std::string readmePayload = lzhuf::CompressBuffer(readme);
  std::string libraryPayload = lzhuf::CompressBuffer(newLibrary);
  std::string script = ScrambledFile(
      "F|app.cmp|?APPDIR?\\app.exe\r\n"
      "F|lib.cmp|C:\\Sys\\lib.dll\r\n"
      "F|readme.cmp|?APPDIR?\\Docs\\readme.txt\r\n"
      "K|SZ|HKEY_LOCAL_MACHINE|Software|Example|Path|?APPDIR?\r\n");
};

const Product& TheProduct() {
  static const Product product;
  return product;
}

// The machine with the product's payloads in the current directory and the older library
// installed.
class FaultRig : public InstallMachine {
 public:
  FaultRig() {
    const Product& product = TheProduct();
    WriteCurrent("setup.drc", product.script);
    WriteCurrent("app.cmp", product.programPayload);
    WriteCurrent("readme.cmp", product.readmePayload);
    WriteCurrent("lib.cmp", product.libraryPayload);
    fs::create_directories(Native("Sys"));
    WriteFileBytes(Native("Sys/lib.dll"), product.oldLibrary);
  }
  int Run() { return InstallMachine::Run("C:\\App"); }
};

// The promises every run keeps, whatever failed in it.
void ExpectSoundOutcome(FaultRig& rig, int result) {
  const Product& product = TheProduct();
  // The library that was installed before survives: in place, or in Backup.
  const bool oldInPlace = rig.Installed("Sys/lib.dll") == product.oldLibrary;
  const bool oldInBackup = rig.Installed("App/Backup/lib.dll") == product.oldLibrary;
  EXPECT_TRUE(oldInPlace || oldInBackup) << "the installed library was lost";

  if (result == IDOK) {
    // Success is told only when every file holds every byte.
    EXPECT_TRUE(rig.Installed("App/app.exe") == product.program) << "app.exe differs";
    EXPECT_TRUE(rig.Installed("App/Docs/readme.txt") == product.readme) << "readme.txt differs";
    EXPECT_TRUE(rig.Installed("Sys/lib.dll") == product.newLibrary) << "lib.dll differs";
    EXPECT_TRUE(oldInBackup);
    EXPECT_EQ(
        std::optional<std::string>("C:\\App"),
        ReadRegistryString(rig.registry, "HKEY_LOCAL_MACHINE\\Software\\Example\\Path", '\\'));
    return;
  }
  EXPECT_EQ(2, result);
  EXPECT_FALSE(rig.windows.messageBoxes().empty()) << "an abort nobody was told of";
  EXPECT_FALSE(rig.windows.stalled());
}

TEST(FaultInjection, UnfaultedRunInstallsEverything) {
  FaultRig rig;
  EXPECT_EQ(IDOK, rig.Run());
  ExpectSoundOutcome(rig, IDOK);
  EXPECT_TRUE(rig.windows.messageBoxes().size() == 1) << "only the upgraded-libraries notice";
}

// FindFirstFile is left out: a failed lookup means "absent" by design, and an installed library
// that looks absent is replaced without a backup, as it would be on Windows.
TEST(FaultInjection, EveryFailingCallOfEveryOperationIsReportedAndLosesNothing) {
  struct Case {
    FileOperation operation;
    int crtError;
    Win32Error win32Error;
  };
  const std::vector<Case> cases = {
      {FileOperation::kOpen, kCrtAccessDenied, 0},
      {FileOperation::kOpen, kCrtNoSpace, 0},
      {FileOperation::kWrite, kCrtNoSpace, 0},
      {FileOperation::kClose, kCrtNoSpace, 0},
      {FileOperation::kRead, kCrtIoError, 0},
      {FileOperation::kSeek, kCrtIoError, 0},
      {FileOperation::kCreateDirectory, 0, kErrorDiskFull},
      {FileOperation::kMoveFile, 0, kErrorAccessDenied},
      {FileOperation::kDeleteFile, 0, kErrorAccessDenied},
      {FileOperation::kSetFileAttributes, 0, kErrorAccessDenied},
      {FileOperation::kMoveFileReplacing, 0, kErrorAccessDenied},
      {FileOperation::kMoveFileReplacing, 0, kErrorDiskFull},
  };
  for (const Case& c : cases) {
    int injectedRuns = 0;
    for (int n = 1; n < 500; ++n) {
      SCOPED_TRACE(std::string(FileOperationName(c.operation)) + " call " + std::to_string(n));
      FaultRig rig;
      rig.files.Plan({c.operation, n, false, c.crtError, c.win32Error, ""});
      const int result = rig.Run();
      if (rig.files.Injected() == 0) break;
      ++injectedRuns;
      SCOPED_TRACE("failed on " + rig.files.InjectedPaths().front());
      ExpectSoundOutcome(rig, result);
      if (::testing::Test::HasFailure()) return;  // one broken run says enough
    }
    EXPECT_GT(injectedRuns, 0) << FileOperationName(c.operation) << " was never called";
  }
}

TEST(FaultInjection, DiskFullFromTheNthWriteOnAbortsTheRun) {
  for (int n = 1;; ++n) {
    SCOPED_TRACE("writes fail from call " + std::to_string(n));
    FaultRig rig;
    rig.files.Plan({FileOperation::kWrite, n, true, kCrtNoSpace, kErrorDiskFull, ""});
    const int result = rig.Run();
    if (rig.files.Injected() == 0) break;
    ExpectSoundOutcome(rig, result);
    if (::testing::Test::HasFailure()) return;
    ASSERT_LT(n, 500);
  }
}

TEST(FaultInjection, FullDiskWhileExpandingNamesTheFileAndEndsTheRun) {
  FaultRig rig;
  rig.files.Plan({FileOperation::kWrite, 1, true, kCrtNoSpace, kErrorDiskFull, "app.exe"});
  EXPECT_EQ(2, rig.Run());
  ExpectSoundOutcome(rig, 2);
  const auto& boxes = rig.windows.messageBoxes();
  ASSERT_EQ(2u, boxes.size());
  EXPECT_EQ("Erro de grava\xE7\xE3o no arquivo C:\\App\\app.exe", boxes[0].text);
  EXPECT_EQ("Failed to decompress file\nC:\\App\\app.exe\nIs file in use?", boxes[1].text);
  EXPECT_FALSE(rig.Installed("App/Docs/readme.txt")) << "nothing after the failed file";
}

TEST(FaultInjection, ReadErrorOnAPayloadIsNotTakenForItsEnd) {
  // The first read takes the header, the later ones blocks of the bit stream.
  for (int call : {1, 2, 3}) {
    SCOPED_TRACE("read " + std::to_string(call) + " fails");
    FaultRig rig;
    rig.files.Plan({FileOperation::kRead, call, false, kCrtIoError, kErrorReadFault, "app.cmp"});
    EXPECT_EQ(2, rig.Run());
    EXPECT_EQ(1, rig.files.Injected());
    ExpectSoundOutcome(rig, 2);
    ASSERT_FALSE(rig.windows.messageBoxes().empty());
    EXPECT_EQ("Erro de leitura", rig.windows.messageBoxes().front().text);
  }
}

TEST(FaultInjection, PayloadThatVanishesAfterItsCheckIsReported) {
  FaultRig rig;
  // The first tick checks app.exe; the action before the second tick removes its payload.
  rig.windows.QueueAction([](Dialog&) {});
  rig.windows.QueueAction([&rig](Dialog&) { rig.files.DeleteFile("app.cmp"); });
  EXPECT_EQ(2, rig.Run());
  ExpectSoundOutcome(rig, 2);
  ASSERT_EQ(2u, rig.windows.messageBoxes().size());
  EXPECT_EQ("Erro de abertura no arquivo app.cmp", rig.windows.messageBoxes()[0].text);
  EXPECT_FALSE(rig.Installed("App/app.exe"));
}

TEST(FaultInjection, ReadOnlyDestinationFileIsLeftAsItWas) {
  FaultRig rig;
  fs::create_directories(rig.Native("App"));
  WriteFileBytes(rig.Native("App/app.exe"), "the installed program");
  fs::permissions(rig.Native("App/app.exe"),
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  EXPECT_EQ(2, rig.Run());
  ExpectSoundOutcome(rig, 2);
  EXPECT_EQ("the installed program", rig.Installed("App/app.exe"));
  ASSERT_FALSE(rig.windows.messageBoxes().empty());
  EXPECT_EQ("Erro de abertura no arquivo C:\\App\\app.exe", rig.windows.messageBoxes()[0].text);
}

TEST(MachineLock, SecondInstallerOnAFolderIsRefusedUntilTheFirstEnds) {
  TempDir temp;
  const std::string machine = temp.Native("machine");
  ScriptedWindowSystem windows;
  auto first = std::make_unique<HostPlatform>(machine, temp.Native(), windows);
  ASSERT_EQ("", first->Open());

  HostPlatform second(machine, temp.Native(), windows);
  EXPECT_EQ("another installation is running on the machine folder " + machine +
                "; start again when it has ended",
            second.Open());

  // Another folder is another machine.
  HostPlatform elsewhere(temp.Native("other"), temp.Native(), windows);
  EXPECT_EQ("", elsewhere.Open());

  first.reset();
  HostPlatform third(machine, temp.Native(), windows);
  EXPECT_EQ("", third.Open());
}

}  // namespace
}  // namespace setup::testing
