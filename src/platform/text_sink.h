// Where a program's messages and prompts go: standard output or error, or a string (a Windows
// program's usage text before it picks a console or a box; a test). Texts pass through as bytes.
#pragma once

#include <string>
#include <string_view>

namespace setup {

class TextSink {
 public:
  virtual ~TextSink() = default;
  virtual void Write(std::string_view text) = 0;
  // Makes what was written visible before the program waits for an answer or ends.
  virtual void Flush() = 0;
};

inline TextSink& operator<<(TextSink& sink, std::string_view text) {
  sink.Write(text);
  return sink;
}
inline TextSink& operator<<(TextSink& sink, char c) {
  sink.Write(std::string_view(&c, 1));
  return sink;
}

// Collects the text in memory.
class StringTextSink final : public TextSink {
 public:
  void Write(std::string_view text) override { text_ += text; }
  void Flush() override {}
  [[nodiscard]] const std::string& str() const { return text_; }

 private:
  std::string text_;
};

// Where line answers come from.
class LineSource {
 public:
  virtual ~LineSource() = default;
  // The next line without its line feed; a last line without one counts. False at the end.
  virtual bool ReadLine(std::string* line) = 0;
};

// Lines of a text held in memory.
class StringLineSource final : public LineSource {
 public:
  explicit StringLineSource(std::string text) : text_(std::move(text)) {}
  bool ReadLine(std::string* line) override {
    if (next_ >= text_.size()) return false;
    std::size_t end = text_.find('\n', next_);
    if (end == std::string::npos) end = text_.size();
    line->assign(text_, next_, end - next_);
    next_ = end + 1;
    return true;
  }

 private:
  std::string text_;
  std::size_t next_ = 0;
};

}  // namespace setup
