// What a one-file installer's stub needs from the system: its own file, a private temporary
// folder, files in it, the installer's process and a way to tell the user of a failure.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace setup {

class BundleSystem {
 public:
  virtual ~BundleSystem() = default;

  // The running program's own file.
  virtual std::string OwnProgramPath() = 0;
  // Paths here are native paths.
  virtual std::unique_ptr<File> OpenForReading(const std::string& path) = 0;
  // A new, empty folder in the temporary directory that other users cannot read. Empty on
  // failure, with the system's reason in *error.
  virtual std::string CreatePrivateFolder(std::string* error) = 0;
  // Creates one folder; true when it exists afterwards.
  virtual bool CreateFolder(const std::string& path) = 0;
  // Creates (or truncates) a file only its owner may read; `executable` lets it be run.
  virtual std::unique_ptr<File> CreateFile(const std::string& path, bool executable) = 0;
  // Removes a folder and everything below it.
  virtual void RemoveTree(const std::string& path) = 0;
  // Starts `program` (a name inside `folder`) with `folder` as its current directory and
  // `arguments` after argument 0, waits for it and answers its exit status; -1 when it could
  // not be started, with the reason in *error.
  virtual int RunAndWait(const std::string& folder, const std::string& program,
                         const std::vector<std::string>& arguments, std::string* error) = 0;
  // A message box on Windows, a line on standard error on the host.
  virtual void ShowError(const std::string& text) = 0;
  // The installer program's name in a distribution for this platform.
  virtual std::string InstallerName() const = 0;
  virtual char PathSeparator() const = 0;
};

}  // namespace setup
