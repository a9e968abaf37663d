// A scratch folder for one test, removed with everything in it when the test ends.
#pragma once

#include <filesystem>
#include <string>

namespace setup::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The folder's path as a native text, with `relative` appended when given.
  std::string Native(const std::string& relative = "") const;

 private:
  std::filesystem::path path_;
};

// Reads or writes a whole file as bytes.
std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

}  // namespace setup::testing
