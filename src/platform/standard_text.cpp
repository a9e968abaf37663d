// The standard streams through stdio, which keeps its own buffering (standard error unbuffered).
#include "platform/standard_text.h"

#include <cstdio>

namespace setup {
namespace {

class StdioTextSink final : public TextSink {
 public:
  explicit StdioTextSink(std::FILE* file) : file_(file) {}
  void Write(std::string_view text) override {
    if (!text.empty()) (void)std::fwrite(text.data(), 1, text.size(), file_);
  }
  void Flush() override { (void)std::fflush(file_); }

 private:
  std::FILE* file_;
};

class StdioLineSource final : public LineSource {
 public:
  explicit StdioLineSource(std::FILE* file) : file_(file) {}
  bool ReadLine(std::string* line) override {
    line->clear();
    bool any = false;
    for (int c = std::getc(file_); c != EOF; c = std::getc(file_)) {
      any = true;
      if (c == '\n') return true;
      line->push_back(static_cast<char>(c));
    }
    return any;
  }

 private:
  std::FILE* file_;
};

}  // namespace

TextSink& StandardOutput() {
  static StdioTextSink sink(stdout);
  return sink;
}

TextSink& StandardError() {
  static StdioTextSink sink(stderr);
  return sink;
}

LineSource& StandardInput() {
  static StdioLineSource source(stdin);
  return source;
}

}  // namespace setup
