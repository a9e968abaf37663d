// The programs' text streams: the stdio line source splits lines as the in-memory one the tests
// use does (so a test's answers are read as a user's typed ones), and a sink writes bytes as given.
#include "platform/standard_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace setup {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using ScopedFile = std::unique_ptr<std::FILE, FileCloser>;

ScopedFile FileHolding(const std::string& bytes) {
  ScopedFile file(std::tmpfile());
  if (!file) return file;
  std::fwrite(bytes.data(), 1, bytes.size(), file.get());
  std::rewind(file.get());
  return file;
}

std::vector<std::string> AllLines(LineSource& source) {
  std::vector<std::string> lines;
  std::string line = "stale";
  while (source.ReadLine(&line)) lines.push_back(line);
  // The end stays the end.
  EXPECT_FALSE(source.ReadLine(&line));
  return lines;
}

TEST(StandardTextTest, BothLineSourcesSplitInputAlike) {
  struct Case {
    const char* name;
    std::string input;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"nothing", "", {}},
      {"lines", "one\ntwo\n", {"one", "two"}},
      {"a last line without its feed", "one\nlast", {"one", "last"}},
      {"empty lines are answers", "\n\n", {"", ""}},
      {"CR stays for the reader", "cr\r\n", {"cr\r"}},
      {"bytes of any value", std::string("caf\xE9\0x\n", 7), {std::string("caf\xE9\0x", 6)}},
  };
  for (const Case& c : cases) {
    StringLineSource memory(c.input);
    EXPECT_EQ(c.lines, AllLines(memory)) << c.name << " (memory)";
    ScopedFile file = FileHolding(c.input);
    ASSERT_TRUE(file) << "no temporary file";
    StdioLineSource stdio(file.get());
    EXPECT_EQ(c.lines, AllLines(stdio)) << c.name << " (stdio)";
  }
}

TEST(StandardTextTest, SinkWritesEveryByteAsGiven) {
  ScopedFile file(std::tmpfile());
  ASSERT_TRUE(file);
  StdioTextSink sink(file.get());
  const std::string bytes("line\nnul \0 high \xFC\r\n", 19);
  sink << "title" << ':' << ' ' << std::string_view() << bytes;
  sink.Flush();
  std::rewind(file.get());
  std::string read(64, '\0');
  read.resize(std::fread(read.data(), 1, read.size(), file.get()));
  EXPECT_EQ("title: " + bytes, read);
}

}  // namespace
}  // namespace setup
