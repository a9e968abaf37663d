// Directory and file operations of the installation.
#include "install/file_operations.h"

#include "platform/ascii_case.h"

namespace setup {

int ShowErrorBox(WindowSystem& windows, const std::string& text) {
  return windows.MessageBox(nullptr, text, "Error", MB_OK | MB_ICONERROR);
}

int EnsureDirectory(const InstallContext& context, const std::string& path) {
  const std::size_t last = path.rfind('\\');
  if (last == std::string::npos) return 0;

  // The text before the first backslash (a drive, or a relative path's first directory) is
  // taken as given and never created.
  const std::size_t first = path.find('\\');
  for (std::size_t at = first + 1; at <= last; ++at) {
    if (path[at] != '\\') continue;
    const std::string directory = path.substr(0, at);
    const Win32Error error = context.platform.files.CreateDirectory(directory);
    if (error == kErrorSuccess) {
      context.log.Write("Created: %s", directory.c_str());
      continue;
    }
    if (error == kErrorAlreadyExists) continue;
    const std::string reason = GetSystemErrorText(context.platform.files, error);
    context.log.Write("Error creating directory %s: %s", directory.c_str(), reason.c_str());
    return 0;
  }
  context.log.Write("Directory %s certified to be ok", path.c_str());
  return 1;
}

namespace {

// Makes sure `backupDir` is a directory, replacing a file of that name. 1 when it is, 0 after
// telling the user why not.
int PrepareBackupDirectory(const InstallContext& context, const std::string& backupDir) {
  FileSystem& files = context.platform.files;
  InstallLog& log = context.log;
  const std::optional<FindData> found = files.FindFirstFile(backupDir);
  if (found && (found->attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    log.Write("Subdirectory already exists");
    return 1;
  }
  if (!found) {
    log.Write("%s not found, will have to create it", backupDir.c_str());
  } else {
    log.Write("There is a FILE named %s!!!!", backupDir.c_str());
    if (files.DeleteFile(backupDir) != kErrorSuccess) {
      log.Write("The file named %s cannot be deleted, installation should be aborted",
                backupDir.c_str());
      ShowErrorBox(context.platform.windows,
                   "It seems a file named " + backupDir +
                       " exists and cannot be deleted.\nPlease delete that file manually and "
                       "return to the installation");
      return 0;
    }
    log.Write("File %s successfully deleted", backupDir.c_str());
  }
  if (EnsureDirectory(context, backupDir + "\\") == 0) {
    ShowErrorBox(context.platform.windows,
                 "Cannot create directory " + backupDir +
                     " (disk full?)\nPlease correct the problem manually and return to the "
                     "installation");
    log.Write("Cannot create directory %s, installation aborted", backupDir.c_str());
    return 0;
  }
  log.Write("Directory successfully created");
  return 1;
}

// Moves `path` into `backupDir`. 1 on success (and sets `dllsUpgraded`), 0 after telling the user.
int MoveIntoBackup(const InstallContext& context, const std::string& path,
                   const std::string& backupDir, int& dllsUpgraded) {
  FileSystem& files = context.platform.files;
  InstallLog& log = context.log;
  const std::size_t last = path.rfind('\\');
  if (last == std::string::npos || last == 0) {
    ShowErrorBox(context.platform.windows,
                 "Could not copy file " + path +
                     " due to a parsing error.\nPlease contact the developer and report the "
                     "problem");
    log.Write("Could not copy file %s due to a parsing error, installation should be aborted.",
              path.c_str());
    return 0;
  }
  const std::string target = backupDir + "\\" + path.substr(last + 1);
  // A read-only file cannot be replaced, nor moved over on every system.
  files.SetFileAttributes(target, FILE_ATTRIBUTE_ARCHIVE);
  files.SetFileAttributes(path, FILE_ATTRIBUTE_ARCHIVE);
  if (files.MoveFile(path, target) != kErrorSuccess) {
    ShowErrorBox(context.platform.windows,
                 "Cannot make backup of " + path + "\ninto " + target +
                     ".\nPlease check file attributes and\ndisk space and return to the "
                     "installation");
    log.Write("Could not move %s to %s, installation should be aborted.", path.c_str(),
              target.c_str());
    return 0;
  }
  dllsUpgraded = 1;
  log.Write("Moved successfully: %s to %s", path.c_str(), target.c_str());
  return 1;
}

}  // namespace

int BackupDll(const InstallContext& context, const std::string& path,
              const std::string& applicationDirectory, int& dllsUpgraded) {
  if (GetFileExtension(path) != ".dll") return 0;

  const std::string backupDir = applicationDirectory + "\\Backup";
  int result = PrepareBackupDirectory(context, backupDir);
  if (result != 0) result = MoveIntoBackup(context, path, backupDir, dllsUpgraded);
  context.log.Write("File %s was %s successfully save to directory %s", path.c_str(),
                    result != 0 ? "" : "NOT", applicationDirectory.c_str());
  return result;
}

}  // namespace setup
