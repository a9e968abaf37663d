// DecompressFile on real files: a full device, a directory in the way, a read-only destination.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "decompress/decompress_file.h"
#include "decompress/lzhuf_encoder.h"
#include "platform/host/files/native_file_system.h"
#include "support/scripted_window_system.h"
#include "support/temp_dir.h"

namespace setup {
namespace {

using testing::ScriptedWindowSystem;
using testing::TempDir;

TEST(DecompressNative, ExpandsRealFilesAndReportsRealFailures) {
  TempDir dir;
  std::string data;
  for (int i = 0; data.size() < 300000; ++i) data += "entry " + std::to_string(i % 977) + ";";
  testing::WriteFileBytes(dir.path() / "data.z", lzhuf::CompressBuffer(data));
  std::filesystem::create_directory(dir.path() / "folder");
  testing::WriteFileBytes(dir.path() / "readonly", "keep");
  std::filesystem::permissions(dir.path() / "readonly", std::filesystem::perms::owner_read);

  struct Case {
    const char* name;
    std::string destination;
    int result;
    std::string message;  // empty: no message box
  };
  const std::string readOnly = dir.Native("readonly");
  const std::string folder = dir.Native("folder");
  const Case cases[] = {
      {"ordinary file", dir.Native("out.dat"), 0, ""},
      {"full device", "/dev/full", 1, "Erro de grava\xE7\xE3o no arquivo /dev/full"},
      {"directory in the way", folder, 1, "Erro de abertura no arquivo " + folder},
      {"read-only destination", readOnly, 1, "Erro de abertura no arquivo " + readOnly},
  };
  for (const Case& c : cases) {
    NativeFileSystem files;
    ScriptedWindowSystem windows;
    Decompressor decompressor(files, windows);
    const std::string source = dir.Native("data.z");
    EXPECT_EQ(c.result, decompressor.DecompressFile(source.c_str(), c.destination.c_str()))
        << c.name;
    if (c.message.empty()) {
      EXPECT_TRUE(windows.messageBoxes().empty()) << c.name;
      EXPECT_TRUE(data == testing::ReadFileBytes(c.destination)) << c.name;
      continue;
    }
    ASSERT_EQ(1u, windows.messageBoxes().size()) << c.name;
    EXPECT_EQ(c.message, windows.messageBoxes()[0].text) << c.name;
  }
  EXPECT_EQ("keep", testing::ReadFileBytes(dir.path() / "readonly"));
}

}  // namespace
}  // namespace setup
