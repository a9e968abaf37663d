// Block-wise byte sources and sinks the coders stream through: open files or memory.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace setup::lzhuf {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `size` bytes; 0 means the end of the input (or a read error).
  virtual std::size_t Read(std::uint8_t* buffer, std::size_t size) = 0;
};

// Reads until `size` bytes or the end: a source may answer less than asked before its end.
inline std::size_t ReadFull(ByteSource& in, std::uint8_t* buffer, std::size_t size) {
  std::size_t got = 0;
  while (got < size) {
    const std::size_t n = in.Read(buffer + got, size - got);
    if (n == 0) break;
    got += n;
  }
  return got;
}

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Writes all `size` bytes; false when they could not all be written.
  virtual bool Write(const std::uint8_t* data, std::size_t size) = 0;
};

class FileSource final : public ByteSource {
 public:
  explicit FileSource(File& file) : file_(file) {}
  std::size_t Read(std::uint8_t* buffer, std::size_t size) override {
    return file_.Read(buffer, size);
  }

 private:
  File& file_;
};

class FileSink final : public ByteSink {
 public:
  explicit FileSink(File& file) : file_(file) {}
  bool Write(const std::uint8_t* data, std::size_t size) override {
    return file_.Write(data, size) == size;
  }

 private:
  File& file_;
};

class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
  std::size_t Read(std::uint8_t* buffer, std::size_t size) override {
    const std::size_t n = std::min(size, bytes_.size());
    std::memcpy(buffer, bytes_.data(), n);
    bytes_.remove_prefix(n);
    return n;
  }

 private:
  std::string_view bytes_;
};

class StringSink final : public ByteSink {
 public:
  bool Write(const std::uint8_t* data, std::size_t size) override {
    bytes.append(reinterpret_cast<const char*>(data), size);
    return true;
  }
  std::string bytes;
};

}  // namespace setup::lzhuf
