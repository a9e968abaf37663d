// A payload that cannot be read to its end, as on a damaged medium: the decoder would go on
// with zero bits, so DecompressFile must tell the read error apart from a stream that merely
// ends early, and never report the half-decoded file as expanded.
#include <gtest/gtest.h>

#include <string>

#include "decompress/decompress_file.h"
#include "decompress/lzhuf_encoder.h"
#include "support/fake_file_system.h"
#include "support/scripted_window_system.h"

namespace setup {
namespace {

TEST(DecompressFileReadError, AnUnreadableByteAnywhereFailsTheExpansion) {
  std::string data;
  for (int i = 0; data.size() < 600000; ++i) data += "record " + std::to_string(i * 7919) + "\r\n";
  const std::string payload = lzhuf::CompressBuffer(data);
  ASSERT_GT(payload.size(), 70000u) << "the stream should take more than one input block";

  // At the header, just after it, inside the first block, inside a later block, at the last byte.
  for (std::int64_t offset : {std::int64_t{0}, std::int64_t{4}, std::int64_t{1000},
                              std::int64_t{70000}, static_cast<std::int64_t>(payload.size()) - 1}) {
    SCOPED_TRACE(offset);
    testing::FakeFileSystem files;
    testing::ScriptedWindowSystem windows;
    files.PutFile("C:\\in.cmp", payload);
    files.readErrorPath = "C:\\in.cmp";
    files.readErrorOffset = offset;
    Decompressor decompressor(files, windows);
    EXPECT_EQ(1, decompressor.DecompressFile("C:\\in.cmp", "C:\\out.txt"));
    ASSERT_EQ(1u, windows.messageBoxes().size());
    EXPECT_EQ("Erro de leitura", windows.messageBoxes()[0].text);
    EXPECT_EQ(0, files.openFiles);
  }

  // The same stream cut short, without any read error, is expanded as far as the header says.
  testing::FakeFileSystem files;
  testing::ScriptedWindowSystem windows;
  files.PutFile("C:\\in.cmp", payload.substr(0, 70000));
  Decompressor decompressor(files, windows);
  EXPECT_EQ(0, decompressor.DecompressFile("C:\\in.cmp", "C:\\out.txt"));
  const std::size_t expanded = files.FileBytes("C:\\out.txt").value_or("").size();
  EXPECT_GE(expanded, data.size());
  EXPECT_LE(expanded, data.size() + 59);
  EXPECT_TRUE(windows.messageBoxes().empty());
}

TEST(DecompressFileReadError, TheExpansionStopsSoonAfterTheError) {
  std::string data;
  for (int i = 0; data.size() < 300000; ++i) data += "line " + std::to_string(i * 31) + "\r\n";
  std::string payload = lzhuf::CompressBuffer(data);
  // A header that promises 64 MiB: after the error only zero bits would be left to decode.
  payload[0] = 0;
  payload[1] = 0;
  payload[2] = 0;
  payload[3] = 4;
  testing::FakeFileSystem files;
  testing::ScriptedWindowSystem windows;
  files.PutFile("C:\\in.cmp", payload);
  files.readErrorPath = "C:\\in.cmp";
  files.readErrorOffset = 1000;
  Decompressor decompressor(files, windows);
  EXPECT_EQ(1, decompressor.DecompressFile("C:\\in.cmp", "C:\\out.txt"));
  ASSERT_EQ(1u, windows.messageBoxes().size());
  EXPECT_EQ("Erro de leitura", windows.messageBoxes()[0].text);
  EXPECT_LT(files.FileBytes("C:\\out.txt").value_or("").size(), 1u << 20);
  EXPECT_EQ(0, files.openFiles);
}

}  // namespace
}  // namespace setup
