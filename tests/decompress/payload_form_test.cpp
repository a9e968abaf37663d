// The xz and stored payload forms through DecompressFile: recognised by their magic, expanded
// whole, and refused with the decoder's box when damaged, cut, oversized or unchecked, without
// a part of them ever taking the destination's place.
#include "decompress/payload_form.h"

#include <gtest/gtest.h>
#include <lzma.h>

#include <optional>
#include <string>

#include "decompress/decompress_file.h"
#include "support/fake_file_system.h"
#include "support/scripted_window_system.h"

namespace setup {
namespace {

using testing::FakeFileSystem;
using testing::ScriptedWindowSystem;

const char kSource[] = "C:\\media\\PROG.EX_";
const char kDestination[] = "C:\\Program Files\\Prog\\PROG.EXE";
const std::string kOld = "the old program";

std::string Content() {
  std::string data;
  for (int i = 0; data.size() < 300000; ++i) data += "entry " + std::to_string(i * 31 % 977) + "\n";
  return data;
}

std::string Packed(const std::string& content, PayloadForm form) {
  lzhuf::MemorySource in(content);
  lzhuf::StringSink out;
  const PackResult result = form == PayloadForm::kXz ? PackXzPayload(in, content.size(), out)
                                                     : PackStoredPayload(in, content.size(), out);
  EXPECT_EQ(PackResult::kDone, result);
  return out.bytes;
}

// The stream with its block declaring a 128 MiB dictionary, its header's CRC32 made right again.
std::string WithLargeDictionary(std::string xz) {
  constexpr std::size_t kBlock = 12;  // after the stream header
  const std::size_t headerSize = (static_cast<std::uint8_t>(xz[kBlock]) + 1) * 4;
  EXPECT_EQ(0, xz[kBlock + 1]) << "no sizes in the block header";
  EXPECT_EQ(0x21, xz[kBlock + 2]) << "LZMA2";
  xz[kBlock + 4] = 30;  // 2 << (30 / 2 + 11) bytes
  const std::uint32_t crc =
      lzma_crc32(reinterpret_cast<const std::uint8_t*>(&xz[kBlock]), headerSize - 4, 0);
  for (int i = 0; i < 4; ++i) xz[kBlock + headerSize - 4 + i] = static_cast<char>(crc >> (8 * i));
  return xz;
}

std::string WithoutCheck(const std::string& content) {
  std::string out(content.size() + 1024, '\0');
  std::size_t size = 0;
  EXPECT_EQ(LZMA_OK,
            lzma_easy_buffer_encode(
                1, LZMA_CHECK_NONE, nullptr, reinterpret_cast<const std::uint8_t*>(content.data()),
                content.size(), reinterpret_cast<std::uint8_t*>(out.data()), &size, out.size()));
  out.resize(size);
  return out;
}

struct Outcome {
  int result;
  std::vector<ScriptedWindowSystem::MessageBoxRecord> boxes;
  std::optional<std::string> destination;
  bool leftover;
  int openFiles;
};

Outcome Expand(const std::string& payload, const std::optional<std::string>& old,
               int failWriteCall = 0) {
  FakeFileSystem files;
  ScriptedWindowSystem windows;
  files.PutFile(kSource, payload);
  files.PutDirectory("C:\\Program Files\\Prog");
  if (old) files.PutFile(kDestination, *old);
  files.failWriteCall = failWriteCall;
  files.failLaterWrites = failWriteCall != 0;
  Decompressor decompressor(files, windows);
  const int result = decompressor.DecompressFile(kSource, kDestination);
  return {result, windows.messageBoxes(), files.FileBytes(kDestination),
          files.FileExists(std::string(kDestination) + ".~new"), files.openFiles};
}

TEST(PayloadForms, XzAndStoredPayloadsExpandWhole) {
  const std::string content = Content();
  const std::string xz = Packed(content, PayloadForm::kXz);
  EXPECT_EQ(PayloadForm::kXz, PayloadFormOf(xz.substr(0, 6)));
  EXPECT_LT(xz.size(), content.size() / 4);
  const std::string stored = Packed(content, PayloadForm::kStored);
  EXPECT_EQ(PayloadForm::kStored, PayloadFormOf(stored.substr(0, 6)));
  EXPECT_EQ(content.size() + kStoredHeaderSize, stored.size());
  for (const std::string& payload :
       {xz, stored, Packed("", PayloadForm::kXz), Packed("", PayloadForm::kStored)}) {
    const bool empty = payload.size() < 100;
    for (const std::optional<std::string>& old :
         {std::optional<std::string>(kOld), std::optional<std::string>()}) {
      const Outcome outcome = Expand(payload, old);
      EXPECT_EQ(0, outcome.result);
      EXPECT_TRUE(outcome.boxes.empty());
      EXPECT_TRUE(outcome.destination == (empty ? "" : content));
      EXPECT_FALSE(outcome.leftover);
      EXPECT_EQ(0, outcome.openFiles);
    }
  }
}

TEST(PayloadForms, DamagedPayloadsAreRefusedAndNeverPutInPlace) {
  const std::string content = Content();
  const std::string xz = Packed(content, PayloadForm::kXz);
  const std::string stored = Packed(content, PayloadForm::kStored);
  std::string flipped = xz;
  flipped[xz.size() / 2] ^= 0x10;
  std::string badCheck = xz;
  badCheck[xz.size() - 20] ^= 0x01;  // in the CRC64 or index: the data decodes, the check fails
  const struct {
    const char* name;
    std::string payload;
  } cases[] = {
      {"a flipped byte", flipped},
      {"a bad check", badCheck},
      {"cut in the middle", xz.substr(0, xz.size() / 2)},
      {"cut before its footer", xz.substr(0, xz.size() - 1)},
      {"only the magic", xz.substr(0, 6)},
      {"a second stream after it", xz + xz},
      {"garbage after it", xz + "x"},
      {"a 128 MiB dictionary", WithLargeDictionary(Packed("small", PayloadForm::kXz))},
      {"no integrity check", WithoutCheck(content)},
      {"stored, cut", stored.substr(0, stored.size() - 1)},
      {"stored, cut in its header", stored.substr(0, 10)},
      {"stored, with more than its length", stored + "x"},
  };
  for (const auto& c : cases) {
    for (const std::optional<std::string>& old :
         {std::optional<std::string>(kOld), std::optional<std::string>()}) {
      const Outcome outcome = Expand(c.payload, old);
      EXPECT_EQ(1, outcome.result) << c.name;
      ASSERT_EQ(1u, outcome.boxes.size()) << c.name;
      EXPECT_EQ("Erro de leitura", outcome.boxes[0].text) << c.name;
      EXPECT_EQ(static_cast<unsigned>(MB_ICONERROR), outcome.boxes[0].style) << c.name;
      EXPECT_EQ(old, outcome.destination) << c.name;
      EXPECT_FALSE(outcome.leftover) << c.name;
      EXPECT_EQ(0, outcome.openFiles) << c.name;
    }
  }
}

TEST(PayloadForms, ADictionaryAboveTheLimitIsRefusedBeforeDecoding) {
  const std::string payload = WithLargeDictionary(Packed("small", PayloadForm::kXz));
  lzhuf::MemorySource in(payload);
  lzhuf::StringSink out;
  EXPECT_EQ(ExpandResult::kTooLarge, ExpandXzPayload(in, out));
  EXPECT_TRUE(out.bytes.empty());
}

TEST(PayloadForms, AFullDiskIsAWriteErrorAndLeavesTheOldFile) {
  for (PayloadForm form : {PayloadForm::kXz, PayloadForm::kStored}) {
    for (int failing : {1, 2}) {
      const Outcome outcome = Expand(Packed(Content(), form), kOld, failing);
      EXPECT_EQ(1, outcome.result);
      ASSERT_EQ(1u, outcome.boxes.size());
      EXPECT_EQ(std::string("Erro de grava\xE7\xE3o no arquivo ") + kDestination,
                outcome.boxes[0].text);
      EXPECT_EQ(kOld, outcome.destination);
      EXPECT_FALSE(outcome.leftover);
    }
  }
}

}  // namespace
}  // namespace setup
