// Check and placement of one payload file, shared libraries included.
#include "install/file_placement.h"

#include <cstdint>
#include <limits>
#include <optional>

#include "base/registry_access.h"
#include "install/file_operations.h"
#include "install/file_version.h"
#include "install/installation_recorder.h"
#include "install/payload_manifest.h"

namespace setup {

namespace {

// Every installation that handles the library holds one reference. A count at the largest value
// stays there rather than wrapping into a negative one.
// Answers whether the stored count went up.
bool RaiseSharedDllCount(Registry& registry, const std::string& path) {
  const std::int32_t count = GetSharedDllCount(registry, path);
  std::int32_t raised = count + (count == std::numeric_limits<std::int32_t>::max() ? 0 : 1);
  if (count == -1) raised = 1;
  // A count that cannot be stored is not reported.
  return SetSharedDllCount(registry, path, raised) != 0 && raised != count;
}

// Whether the new copy of the DLL in hand is to replace the installed one. Sets `abort` when the
// new copy cannot be expanded for the comparison.
bool DecideOnInstalledDll(InstallPage& page, bool& abort) {
  const InstallContext& context = page.context();
  FileSystem& files = context.platform.files;
  VersionInfo& versions = context.platform.versions;
  InstallLog& log = context.log;

  const std::optional<FileVersion> installed =
      ReadFileVersion(files, versions, page.DestinationPath());
  if (!installed) {
    log.Write("Failed to get version info from %s, will replace anyway",
              page.DestinationPath().c_str());
    return true;
  }

  const std::string tempCopy =
      page.TemporaryDirectory() + "\\" + GetFileName(page.DestinationPath());
  if (!PayloadIsIntact(context, page.SourcePath()) ||
      context.decompressor.DecompressFile(page.SourcePath().c_str(), tempCopy.c_str()) != 0) {
    log.Write("Failed to decompress %s to %s, must abort", page.SourcePath().c_str(),
              tempCopy.c_str());
    page.ShowEngineError("Failed to decompress " + page.SourcePath() + " to " + tempCopy +
                         ", please check disk space");
    abort = true;
    return true;
  }
  log.Write("Decompressed %s to %s", page.SourcePath().c_str(), tempCopy.c_str());
  const std::optional<FileVersion> incoming = ReadFileVersion(files, versions, tempCopy);
  files.DeleteFile(tempCopy);
  return ShouldInstallNewFile(installed, incoming);
}

// A library into a folder that does not exist yet (a private DLL in its own subfolder) gets its
// folders as any other file does; one into an existing folder, the system's above all, is placed
// with the same log as ever.
void EnsureDirectoryOfNewDll(const InstallContext& context, const std::string& destination) {
  const std::size_t lastSeparator = destination.find_last_of('\\');
  // Only one separator: the root of a drive, which EnsureDirectory would not create anyway.
  if (lastSeparator == std::string::npos || destination.find('\\') == lastSeparator) return;
  if (FileExists(context.platform.files, destination.substr(0, lastSeparator)) != 0) return;
  // A failure shows in the expansion; EnsureDirectory has logged why.
  static_cast<void>(EnsureDirectory(context, destination));
}

}  // namespace

bool IsSharedLibrary(const std::string& destination) {
  return GetFileExtension(destination) == ".dll";
}

void CheckFile(InstallPage& page, int index) {
  const InstallContext& context = page.context();
  InstallLog& log = context.log;
  const FileEntry entry = context.script.files[static_cast<std::size_t>(index)];

  page.SourcePath() = entry.source;
  bool install = true;
  bool abort = false;

  const std::string status = "Checking " + GetFileName(entry.destination);
  if (ContainsHiddenName(context.script, status) == 0) {
    page.SetStatusText(status);
    page.SetProgressPos(index);
  }

  page.DestinationPath() = entry.destination;
  if (IsSharedLibrary(page.DestinationPath())) {
    log.Write("Destination pathname: %s", page.DestinationPath().c_str());
    // Raised for every library that reaches the check, installed or not.
    if (RaiseSharedDllCount(context.platform.registry, page.DestinationPath())) {
      if (InstallationRecorder* recorder = page.Recorder()) {
        recorder->SharedCountRaised(page.DestinationPath());
      }
    }
    install = DecideOnInstalledDll(page, abort);
  }

  if (abort) {
    page.EndRun(kRunAborted);
    return;
  }
  if (!install) {
    log.Write("Will not expand to %s", entry.destination.c_str());
    page.SkipFile();
    return;
  }
  log.Write("Dest Path Name: %s", page.DestinationPath().c_str());
  page.SetStatusText("Expanding " + GetFileName(entry.destination));
  page.SetProgressPos(index);
  page.GoToPlacement();
}

void PlaceFile(InstallPage& page) {
  const InstallContext& context = page.context();
  InstallLog& log = context.log;
  FileSystem& files = context.platform.files;

  // A damaged payload fails like an expansion, before any directory is made or a DLL moved.
  const bool damaged = !PayloadIsIntact(context, page.SourcePath());
  if (damaged) {
    // Nothing is prepared for it.
  } else if (!IsSharedLibrary(page.DestinationPath())) {
    // A failure shows in the expansion below; EnsureDirectory has logged why.
    static_cast<void>(EnsureDirectory(context, page.DestinationPath()));
  } else if (FileExists(files, page.DestinationPath()) == 0) {
    log.Write("%s does not exist previously", page.DestinationPath().c_str());
    EnsureDirectoryOfNewDll(context, page.DestinationPath());
  } else if (BackupDll(context, page.DestinationPath(), page.DestinationDirectory(),
                       page.DllsUpgraded()) == 1) {
    log.Write("DLL %s saved successfully", page.DestinationPath().c_str());
    // The old copy in Backup is the product's too: the removal takes it.
    if (InstallationRecorder* recorder = page.Recorder()) {
      recorder->FilePlaced(page.DestinationDirectory() + "\\Backup\\" +
                           GetFileName(page.DestinationPath()));
    }
  } else {
    // Expanding now would destroy the only copy of the installed library: leave it as it is.
    log.Write("DLL %s could not be saved", page.DestinationPath().c_str());
    page.EndRun(kRunAborted);
    page.GoToNextFile();
    return;
  }

  log.Write("Will decompress %s to %s", page.SourcePath().c_str(), page.DestinationPath().c_str());
  context.decompressor.DigestWrites(page.Recorder() != nullptr);
  if (damaged || context.decompressor.DecompressFile(page.SourcePath().c_str(),
                                                     page.DestinationPath().c_str()) != 0) {
    const std::string message =
        "Failed to decompress file\n" + page.DestinationPath() + "\nIs file in use?";
    if (ContainsHiddenName(context.script, message) != 0) {
      page.ShowEngineError(
          "Cannot decompress shared file. Please close all other applications and "
          "reinstall");
      log.Write("Cannot decompress shared file, must abort");
    } else {
      page.ShowEngineError(message);
      log.Write("Failed to decompress to %s, must abort", page.DestinationPath().c_str());
    }
    page.EndRun(kRunAborted);
    page.GoToNextFile();
    return;
  }
  log.Write("File decompressed ok");
  if (InstallationRecorder* recorder = page.Recorder()) {
    recorder->FilePlaced(page.DestinationPath(), context.decompressor.LastWritten());
  }
  page.GoToNextFile();
}

}  // namespace setup
