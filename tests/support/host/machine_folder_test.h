// A fixture for tests of the host's machine folder: a scratch folder holding machine/ (with its
// drive_c/) and current/ (the current directory), and the machine's file system over them.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/host/files/machine_file_system.h"
#include "support/temp_dir.h"
#include "support/write_whole_file.h"

namespace setup::testing {

class MachineFolderTest : public ::testing::Test {
 protected:
  MachineFolderTest()
      : machine_(temp_.path() / "machine"),
        current_(temp_.path() / "current"),
        files_(machine_.string(), current_.string()) {
    std::filesystem::create_directories(machine_ / "drive_c");
    std::filesystem::create_directories(current_);
  }

  ::testing::AssertionResult Write(const std::string& path, const std::string& bytes) {
    return WriteWholeFile(files_, path, bytes);
  }

  TempDir temp_;
  std::filesystem::path machine_;
  std::filesystem::path current_;
  MachineFileSystem files_;
};

}  // namespace setup::testing
