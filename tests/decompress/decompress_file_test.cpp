// DecompressFile: files opened, written, closed and checked, and every failure's message box.
#include "decompress/decompress_file.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "decompress/lzhuf_encoder.h"
#include "support/fake_file_system.h"
#include "support/scripted_window_system.h"

namespace setup {
namespace {

using testing::FakeFileSystem;
using testing::ScriptedWindowSystem;

const WindowHandle kOwner = reinterpret_cast<WindowHandle>(0x4242);
const char kSource[] = "C:\\media\\PROG.EX_";
const char kDestination[] = "C:\\Program Files\\Prog\\PROG.EXE";
const std::string kAbc("\x03\x00\x00\x00\xF6\xFB\xBD\xE0", 8);

// Fails the reopening of one path for reading, as when the file vanished or is locked.
class UnreadableAfterWriting final : public FakeFileSystem {
 public:
  std::unique_ptr<File> Open(const std::string& path, OpenMode mode, int* crtError) override {
    if (path == unreadable && mode == OpenMode::kReadBinary) {
      if (crtError) *crtError = 13;
      return nullptr;
    }
    return FakeFileSystem::Open(path, mode, crtError);
  }
  std::string unreadable;
};

struct Run {
  int result;
  std::optional<std::string> destination;
  std::vector<ScriptedWindowSystem::MessageBoxRecord> boxes;
  int openFiles;
};

TEST(DecompressFile, SuccessesShowNothing) {
  struct Case {
    const char* name;
    std::string payload;
    std::string expanded;
  };
  const Case cases[] = {
      {"three literals", kAbc, "abc"},
      {"zero header", std::string("\0\0\0\0\x55", 5), ""},
      {"negative header", std::string("\0\0\0\x80\xF6\xFB\xBD\xE0", 8), ""},
      {"truncated stream", std::string("\x09\0\0\0\xF6\xFB\xBD\xF1\xE0", 9), "abccccccc"},
  };
  for (const Case& c : cases) {
    FakeFileSystem files;
    ScriptedWindowSystem windows;
    files.PutFile(kSource, c.payload);
    files.PutFile(kDestination, "old contents, longer than the new");
    Decompressor decompressor(files, windows);
    decompressor.SetOwnerWindow(kOwner);
    EXPECT_EQ(0, decompressor.DecompressFile(kSource, kDestination)) << c.name;
    EXPECT_EQ(c.expanded, files.FileBytes(kDestination).value_or("(none)")) << c.name;
    EXPECT_TRUE(windows.messageBoxes().empty()) << c.name;
    EXPECT_EQ(0, files.openFiles) << c.name;
  }
}

TEST(DecompressFile, EveryFailureShowsItsMessageAndAnswersOne) {
  struct Case {
    const char* name;
    std::function<void(UnreadableAfterWriting&)> arrange;
    std::string message;
    std::optional<std::string> destinationAfter;  // nothing: not created
  };
  const std::string source = kSource;
  const std::string destination = kDestination;
  const Case cases[] = {
      {"source missing", [](UnreadableAfterWriting& f) { f.DeleteFile(kSource); },
       "Erro de abertura no arquivo " + source, std::nullopt},
      {"source locked", [](UnreadableAfterWriting& f) { f.openErrors[kSource] = 13; },
       "Erro de abertura no arquivo " + source, std::nullopt},
      {"destination cannot be created",
       [](UnreadableAfterWriting& f) { f.openErrors[kDestination] = 13; },
       "Erro de abertura no arquivo " + destination, std::nullopt},
      {"empty source", [](UnreadableAfterWriting& f) { f.PutFile(kSource, ""); }, "Erro de leitura",
       ""},
      {"three-byte source", [](UnreadableAfterWriting& f) { f.PutFile(kSource, "\x03\0\0"); },
       "Erro de leitura", ""},
      {"destination unreadable afterwards",
       [](UnreadableAfterWriting& f) { f.unreadable = kDestination; },
       "Erro de acesso ao arquivo " + destination, "abc"},
      {"every write fails",
       [](UnreadableAfterWriting& f) {
         f.failWriteCall = 1;
         f.failLaterWrites = true;
       },
       "Erro de grava\xE7\xE3o no arquivo " + destination, ""},
      {"closing fails", [](UnreadableAfterWriting& f) { f.failClose = true; },
       "Erro de grava\xE7\xE3o no arquivo " + destination, "abc"},
  };
  for (const Case& c : cases) {
    UnreadableAfterWriting files;
    ScriptedWindowSystem windows;
    files.PutFile(kSource, kAbc);
    files.PutDirectory("C:\\Program Files\\Prog");
    c.arrange(files);
    Decompressor decompressor(files, windows);
    decompressor.SetOwnerWindow(kOwner);
    EXPECT_EQ(1, decompressor.DecompressFile(kSource, kDestination)) << c.name;
    ASSERT_EQ(1u, windows.messageBoxes().size()) << c.name;
    const auto& box = windows.messageBoxes()[0];
    EXPECT_EQ(c.message, box.text) << c.name;
    EXPECT_EQ(kOwner, box.owner) << c.name;
    EXPECT_FALSE(box.caption.has_value()) << c.name;
    EXPECT_EQ(static_cast<unsigned>(MB_ICONERROR), box.style) << c.name;
    EXPECT_EQ(c.destinationAfter, files.FileBytes(kDestination)) << c.name;
    EXPECT_EQ(0, files.openFiles) << c.name;
  }
}

TEST(DecompressFile, WriteFailureInTheMiddleOfALargeFileIsReported) {
  // Big enough for several output blocks; each failing position must be caught.
  std::string data;
  for (int i = 0; data.size() < 600000; ++i) data += "line " + std::to_string(i) + "\r\n";
  for (int failing : {1, 2, 3}) {
    FakeFileSystem files;
    ScriptedWindowSystem windows;
    files.PutFile(kSource, lzhuf::CompressBuffer(data));
    files.PutDirectory("C:\\Program Files\\Prog");
    files.failWriteCall = failing;
    Decompressor decompressor(files, windows);
    EXPECT_EQ(1, decompressor.DecompressFile(kSource, kDestination)) << failing;
    ASSERT_EQ(1u, windows.messageBoxes().size()) << failing;
    EXPECT_EQ(std::string("Erro de grava\xE7\xE3o no arquivo ") + kDestination,
              windows.messageBoxes()[0].text);
  }
}

TEST(DecompressFile, LongNamesAreNeitherCutNorDropped) {
  // Longer than the 240 bytes the system's message buffer would hold.
  std::string longName(300, 'n');
  longName.insert(0, "C:\\").append(".dat");
  FakeFileSystem files;
  ScriptedWindowSystem windows;
  Decompressor decompressor(files, windows);
  EXPECT_EQ(1, decompressor.DecompressFile(longName.c_str(), kDestination));
  ASSERT_EQ(1u, windows.messageBoxes().size());
  EXPECT_EQ("Erro de abertura no arquivo " + longName, windows.messageBoxes()[0].text);
}

TEST(DecompressFile, FilesInARowExpandAsEachAlone) {
  std::string first, second;
  for (int i = 0; i < 20000; ++i) first += static_cast<char>('A' + i % 23);
  for (int i = 0; i < 9000; ++i) second += std::to_string(i * 7919 % 1000);
  FakeFileSystem files;
  ScriptedWindowSystem windows;
  files.PutFile("one.z", lzhuf::CompressBuffer(first));
  files.PutFile("two.z", lzhuf::CompressBuffer(second));
  Decompressor decompressor(files, windows);
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(0, decompressor.DecompressFile("one.z", "one"));
    EXPECT_EQ(0, decompressor.DecompressFile("two.z", "two"));
    EXPECT_TRUE(first == files.FileBytes("one").value_or(""));
    EXPECT_TRUE(second == files.FileBytes("two").value_or(""));
  }
  EXPECT_TRUE(windows.messageBoxes().empty());
}

// The digest a recorder takes instead of reading the file back must be the file's own: over
// every byte written (a match may run past the header's length), and gone after a failure.
TEST(DecompressFile, DigestOfWhatWasWrittenMatchesTheFile) {
  auto digestOf = [](const std::string& bytes) {
    std::unique_ptr<Sha256> sha = CreateSha256();
    sha->Update(bytes.data(), bytes.size());
    return sha->Finish();
  };
  std::string text;
  for (int i = 0; i < 50000; ++i) text += static_cast<char>('a' + i * 7 % 26);
  FakeFileSystem files;
  ScriptedWindowSystem windows;
  files.PutFile("big.z", lzhuf::CompressBuffer(text));
  files.PutFile("short.z", std::string("\x09\0\0\0\xF6\xFB\xBD\xF1\xE0", 9));
  files.PutFile("cut.z", std::string("\x01\0", 2));
  Decompressor decompressor(files, windows);
  EXPECT_EQ(0, decompressor.DecompressFile("big.z", "big"));
  EXPECT_FALSE(decompressor.LastWritten().has_value()) << "without DigestWrites";
  decompressor.DigestWrites(true);
  for (const char* name : {"big", "short"}) {
    ASSERT_EQ(0, decompressor.DecompressFile((std::string(name) + ".z").c_str(), name));
    const std::string bytes = files.FileBytes(name).value_or("");
    ASSERT_TRUE(decompressor.LastWritten().has_value()) << name;
    EXPECT_EQ(name, decompressor.LastWritten()->destination);
    EXPECT_EQ(bytes.size(), decompressor.LastWritten()->size) << name;
    EXPECT_TRUE(digestOf(bytes) == decompressor.LastWritten()->digest) << name;
  }
  EXPECT_EQ(1, decompressor.DecompressFile("cut.z", "cut"));
  EXPECT_FALSE(decompressor.LastWritten().has_value()) << "after a failure";
}

}  // namespace
}  // namespace setup
