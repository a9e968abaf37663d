// Program group folders and shell shortcuts.
#include "install/shortcuts.h"

#include <memory>

#include "install/file_operations.h"
#include "install/installation_recorder.h"

namespace setup {

namespace {

constexpr Win32Error kErrorInsufficientBuffer = 122;

}  // namespace

HResult CreateShortcut(Shell& shell, const std::string& target, const std::string& linkFile,
                       const std::string& description) {
  shell.CoInitialize();
  HResult result = kEFail;
  {
    std::unique_ptr<ShellLink> link;
    result = shell.CreateShellLink(&link);
    if (result >= 0 && !link) result = kENoInterface;
    if (result >= 0) {
      link->SetPath(target);
      link->SetDescription(description);
      result = link->QueryPersistFile();
      if (result >= 0) {
        // A path that does not fit is never saved from a half-converted buffer.
        std::u16string widePath;
        result = shell.MultiByteToWideChar(linkFile, kMaxPath, &widePath)
                     ? link->Save(widePath, true)
                     : HResultFromWin32(kErrorInsufficientBuffer);
      }
    }
    // The shell-link object goes before COM does.
  }
  shell.CoUninitialize();
  return result;
}

int CreateShortcuts(InstallPage& page) {
  const InstallContext& context = page.context();
  InstallLog& log = context.log;
  int failed = 0;

  for (const LinkEntry& entry : context.script.links) {
    if (EnsureDirectory(context, entry.linkFile) == 0) {
      ++failed;
      log.Write("Failed to create group: %s.", entry.linkFile.c_str());
      page.ShowPageBox(
          "Failed to create group.\nYou still can run the program and\nuninstaller from their "
          "directory");
      continue;
    }
    if (CreateShortcut(context.platform.shell, entry.target, entry.linkFile, entry.description) ==
            kSOk &&
        FileExists(context.platform.files, entry.linkFile) != 0) {
      log.Write("Successfully created: %s", entry.linkFile.c_str());
      if (InstallationRecorder* recorder = page.Recorder()) recorder->LinkCreated(entry.linkFile);
      continue;
    }
    ++failed;
    log.Write("Failed to create shortcut to %s", entry.target.c_str());
    page.ShowPageBox("Failed to create start menu shortcut to\n" + entry.target +
                     "\nYou still can run the program from its directory");
  }
  return failed;
}

}  // namespace setup
