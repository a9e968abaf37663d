// The process's standard streams as text sinks and a line source, over the C library's stdio so
// that the programs carry no stream library; bytes reach the streams exactly as written.
#pragma once

#include <cstdio>

#include "platform/text_sink.h"

namespace setup {

// Writes to a stdio stream the caller keeps open; its buffering is the stream's own.
class StdioTextSink final : public TextSink {
 public:
  explicit StdioTextSink(std::FILE* file) : file_(file) {}
  void Write(std::string_view text) override;
  void Flush() override;

 private:
  std::FILE* file_;
};

// Reads lines from a stdio stream the caller keeps open.
class StdioLineSource final : public LineSource {
 public:
  explicit StdioLineSource(std::FILE* file) : file_(file) {}
  bool ReadLine(std::string* line) override;

 private:
  std::FILE* file_;
};

TextSink& StandardOutput();
TextSink& StandardError();
LineSource& StandardInput();

}  // namespace setup
