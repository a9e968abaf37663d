// Removing the running Uninstall.exe: Windows keeps a running program's file, so a copy in the
// temporary directory removes it (and the directories it alone kept) once the program has ended.
#pragma once

#include <string>
#include <vector>

#include "platform/program_remover.h"

namespace setup {

class Win32ProgramRemover final : public ProgramRemover {
 public:
  Win32Error RemoveProgram(const std::string& path, bool* deferred) override;
  void RemoveDirectoryLater(const std::string& directory) override;

  // Starts the copy that waits for this process to end and then removes what was handed over
  // (when it cannot start, the next start of Windows removes them); does nothing when nothing
  // was deferred. Call last, just before the program ends.
  void Finish();

 private:
  std::string tempDir_;
  std::string copy_;  // made in the temporary directory by RemoveProgram
  std::string program_;
  std::vector<std::string> directories_;
};

// The copy's work: waits for process `processId` to end, removes `paths[0]` (the program) and
// then the directories that follow, and has its own file removed at the next start of Windows.
int RemoveAfterProcess(unsigned long processId, const std::vector<std::string>& paths);

}  // namespace setup
