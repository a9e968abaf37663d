// Writes a whole file through a FileSystem.
#include "support/write_whole_file.h"

namespace setup::testing {

::testing::AssertionResult WriteWholeFile(FileSystem& files, const std::string& path,
                                          const std::string& bytes) {
  auto file = files.Open(path, OpenMode::kWriteBinary, nullptr);
  if (file == nullptr) return ::testing::AssertionFailure() << path << " cannot be opened";
  if (file->Write(bytes.data(), bytes.size()) != bytes.size()) {
    return ::testing::AssertionFailure() << path << ": short write";
  }
  if (!file->Close()) return ::testing::AssertionFailure() << path << " cannot be closed";
  return ::testing::AssertionSuccess();
}

}  // namespace setup::testing
