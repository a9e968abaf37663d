// DecompressFile: expands one payload file (LZHUF, xz or stored), reporting failures in its own
// message boxes.
#pragma once

#include <memory>

#include "platform/file_system.h"
#include "platform/window_system.h"

namespace setup {

struct LzhufDecoder;

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

 private:
  FileSystem& files_;
  WindowSystem& windows_;
  WindowHandle owner_ = nullptr;
  std::unique_ptr<LzhufDecoder> decoder_;
};

}  // namespace setup
