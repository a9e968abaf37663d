// The standard streams through stdio, which keeps its own buffering (standard error unbuffered).
#include "platform/standard_text.h"

namespace setup {

void StdioTextSink::Write(std::string_view text) {
  if (!text.empty()) (void)std::fwrite(text.data(), 1, text.size(), file_);
}

void StdioTextSink::Flush() { (void)std::fflush(file_); }

bool StdioLineSource::ReadLine(std::string* line) {
  line->clear();
  bool any = false;
  for (int c = std::getc(file_); c != EOF; c = std::getc(file_)) {
    any = true;
    if (c == '\n') return true;
    line->push_back(static_cast<char>(c));
  }
  return any;
}

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
