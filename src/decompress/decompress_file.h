// DecompressFile: expands one payload file (LZHUF, xz or stored), reporting failures in its own
// message boxes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/file_system.h"
#include "platform/sha256.h"
#include "platform/window_system.h"

namespace setup {

struct LzhufDecoder;

// What an expansion put under its destination's name: the bytes as they were written.
struct WrittenFile {
  std::string destination;
  std::uint64_t size = 0;
  Sha256Digest digest{};
};

// Holds the process-wide decoder state and the owner window of the decoder's message boxes.
class Decompressor {
 public:
  Decompressor(FileSystem& files, WindowSystem& windows);
  ~Decompressor();
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;

  // The installation dialog records its window here when it opens.
  void SetOwnerWindow(WindowHandle owner) { owner_ = owner; }

  // 0 on success, 1 on failure (after a message box).
  [[nodiscard]] int DecompressFile(const char* source, const char* destination);

  // While on, each expansion also takes the digest of what it writes, so that a caller who
  // records the file need not read it back.
  void DigestWrites(bool on) { digestWrites_ = on; }
  // The last expansion's, when it succeeded while DigestWrites was on.
  [[nodiscard]] const std::optional<WrittenFile>& LastWritten() const { return lastWritten_; }

 private:
  FileSystem& files_;
  WindowSystem& windows_;
  WindowHandle owner_ = nullptr;
  std::unique_ptr<LzhufDecoder> decoder_;
  bool digestWrites_ = false;
  std::optional<WrittenFile> lastWritten_;
};

}  // namespace setup
