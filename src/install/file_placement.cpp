// Check and placement of one payload file, shared libraries included.
#include "install/file_placement.h"

#include <cstdint>
#include <limits>
#include <optional>

#include "install/file_operations.h"
#include "install/file_version.h"
#include "install/payload_manifest.h"
#include "install/registry_access.h"

namespace setup {

namespace {

// Every installation that handles the library holds one reference. A count at the largest value
// stays there rather than wrapping into a negative one.
void RaiseSharedDllCount(Registry& registry, const std::string& path) {
  const std::int32_t count = GetSharedDllCount(registry, path);
  std::int32_t raised = count + (count == std::numeric_limits<std::int32_t>::max() ? 0 : 1);
  if (count == -1) raised = 1;
  SetSharedDllCount(registry, path, raised);
}

// Whether the new copy of the DLL in hand is to replace the installed one. Sets `abort` when the
// new copy cannot be expanded for the comparison.
bool DecideOnInstalledDll(DlgDecompress& dialog, bool& abort) {
  const InstallContext& context = dialog.context();
  FileSystem& files = context.platform.files;
  VersionInfo& versions = context.platform.versions;
  InstallLog& log = context.log;

  const std::optional<FileVersion> installed = ReadFileVersion(files, versions, dialog.m_strDest);
  if (!installed) {
    log.Write("Failed to get version info from %s, will replace anyway", dialog.m_strDest.c_str());
    return true;
  }

  const std::string tempCopy = dialog.m_strTempDir + "\\" + GetFileName(dialog.m_strDest);
  if (!PayloadIsIntact(context, dialog.m_strSource) ||
      context.decompressor.DecompressFile(dialog.m_strSource.c_str(), tempCopy.c_str()) != 0) {
    log.Write("Failed to decompress %s to %s, must abort", dialog.m_strSource.c_str(),
              tempCopy.c_str());
    ShowErrorBox(context.platform.windows, "Failed to decompress " + dialog.m_strSource + " to " +
                                               tempCopy + ", please check disk space");
    abort = true;
    return true;
  }
  log.Write("Decompressed %s to %s", dialog.m_strSource.c_str(), tempCopy.c_str());
  const std::optional<FileVersion> incoming = ReadFileVersion(files, versions, tempCopy);
  files.DeleteFile(tempCopy);
  return ShouldInstallNewFile(installed, incoming);
}

}  // namespace

bool IsSharedLibrary(const std::string& destination) {
  return GetFileExtension(destination) == ".dll";
}

void CheckFile(DlgDecompress& dialog, int index) {
  const InstallContext& context = dialog.context();
  InstallLog& log = context.log;
  const FileEntry entry = context.script.files[static_cast<std::size_t>(index)];

  dialog.m_strSource = entry.source;
  bool install = true;
  bool abort = false;

  const std::string status = "Checking " + GetFileName(entry.destination);
  if (ContainsHiddenName(context.script, status) == 0) {
    dialog.SetStatusText(status);
    dialog.SetProgressPos(index);
  }

  dialog.m_strDest = entry.destination;
  if (IsSharedLibrary(dialog.m_strDest)) {
    log.Write("Destination pathname: %s", dialog.m_strDest.c_str());
    // Raised for every library that reaches the check, installed or not.
    RaiseSharedDllCount(context.platform.registry, dialog.m_strDest);
    install = DecideOnInstalledDll(dialog, abort);
  }

  if (abort) {
    dialog.EndDialog(2);
    return;
  }
  if (!install) {
    log.Write("Will not expand to %s", entry.destination.c_str());
    dialog.m_nStep += 10;
    return;
  }
  log.Write("Dest Path Name: %s", dialog.m_strDest.c_str());
  dialog.SetStatusText("Expanding " + GetFileName(entry.destination));
  dialog.SetProgressPos(index);
  dialog.m_nStep += 1;
}

void PlaceFile(DlgDecompress& dialog) {
  const InstallContext& context = dialog.context();
  InstallLog& log = context.log;
  FileSystem& files = context.platform.files;

  // A damaged payload fails like an expansion, before any directory is made or a DLL moved.
  const bool damaged = !PayloadIsIntact(context, dialog.m_strSource);
  if (damaged) {
    // Nothing is prepared for it.
  } else if (!IsSharedLibrary(dialog.m_strDest)) {
    // A failure shows in the expansion below; EnsureDirectory has logged why.
    EnsureDirectory(context, dialog.m_strDest);
  } else if (FileExists(files, dialog.m_strDest) == 0) {
    // A library's directory is expected to exist already; where it does not, the expansion fails.
    log.Write("%s does not exist previously", dialog.m_strDest.c_str());
  } else if (BackupDll(context, dialog.m_strDest, dialog.m_strDestDir, dialog.m_bDllsUpgraded) ==
             1) {
    log.Write("DLL %s saved successfully", dialog.m_strDest.c_str());
  } else {
    // Expanding now would destroy the only copy of the installed library: leave it as it is.
    log.Write("DLL %s could not be saved", dialog.m_strDest.c_str());
    dialog.EndDialog(2);
    dialog.m_nStep += 9;
    return;
  }

  log.Write("Will decompress %s to %s", dialog.m_strSource.c_str(), dialog.m_strDest.c_str());
  if (damaged || context.decompressor.DecompressFile(dialog.m_strSource.c_str(),
                                                     dialog.m_strDest.c_str()) != 0) {
    const std::string message =
        "Failed to decompress file\n" + dialog.m_strDest + "\nIs file in use?";
    if (ContainsHiddenName(context.script, message) != 0) {
      ShowErrorBox(context.platform.windows,
                   "Cannot decompress shared file. Please close all other applications and "
                   "reinstall");
      log.Write("Cannot decompress shared file, must abort");
    } else {
      ShowErrorBox(context.platform.windows, message);
      log.Write("Failed to decompress to %s, must abort", dialog.m_strDest.c_str());
    }
    dialog.EndDialog(2);
    dialog.m_nStep += 9;
    return;
  }
  log.Write("File decompressed ok");
  dialog.m_nStep += 9;
}

}  // namespace setup
