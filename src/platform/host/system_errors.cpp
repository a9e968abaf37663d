// Win32 error codes on the host: from errno values, and the system's English message texts.
#include "platform/host/system_errors.h"

#include <cerrno>
#include <cstring>

namespace setup {

namespace {

// Codes that have no name in win32_types.h because the core never reads them.
constexpr Win32Error kErrorNotSameDevice = 17;
constexpr Win32Error kErrorGenFailure = 31;

}  // namespace

Win32Error Win32ErrorFromErrno(int error) {
  switch (error) {
    case 0:
      return kErrorSuccess;
    case ENOENT:
      return kErrorFileNotFound;
    case ENOTDIR:
    case ELOOP:
      return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
      return kErrorAccessDenied;
    case EEXIST:
      return kErrorAlreadyExists;
    case ENOTEMPTY:
      return kErrorDirNotEmpty;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return kErrorDiskFull;
    case EROFS:
      return kErrorWriteProtect;
    case EBUSY:
    case ETXTBSY:
      return kErrorSharingViolation;
    case EMFILE:
    case ENFILE:
      return kErrorTooManyOpenFiles;
    case ENOMEM:
      return kErrorNotEnoughMemory;
    case ENAMETOOLONG:
      return kErrorFilenameExcedRange;
    case EINVAL:
      return kErrorInvalidParameter;
    case EBADF:
      return kErrorInvalidHandle;
    case EXDEV:
      return kErrorNotSameDevice;
    case EIO:
      return kErrorWriteFault;
    default:
      return kErrorGenFailure;
  }
}

int ErrnoFromWin32Error(Win32Error error) {
  switch (error) {
    case kErrorSuccess:
      return 0;
    case kErrorFileNotFound:
    case kErrorPathNotFound:
    case kErrorInvalidDrive:
      return ENOENT;
    case kErrorInvalidName:
    case kErrorBadPathname:
    case kErrorInvalidParameter:
      return EINVAL;
    case kErrorFilenameExcedRange:
      return ENAMETOOLONG;
    case kErrorNotEnoughMemory:
      return ENOMEM;
    case kErrorTooManyOpenFiles:
      return EMFILE;
    default:
      return EACCES;
  }
}

std::string SystemMessageText(Win32Error error) {
  switch (error) {
    case 0:
      return "The operation completed successfully.\r\n";
    case 1:
      return "Incorrect function.\r\n";
    case 2:
      return "The system cannot find the file specified.\r\n";
    case 3:
      return "The system cannot find the path specified.\r\n";
    case 4:
      return "The system cannot open the file.\r\n";
    case 5:
      return "Access is denied.\r\n";
    case 6:
      return "The handle is invalid.\r\n";
    case 8:
      return "Not enough memory resources are available to process this command.\r\n";
    case 14:
      return "Not enough memory resources are available to complete this operation.\r\n";
    case 15:
      return "The system cannot find the drive specified.\r\n";
    case 17:
      return "The system cannot move the file to a different disk drive.\r\n";
    case 18:
      return "There are no more files.\r\n";
    case 19:
      return "The media is write protected.\r\n";
    case 21:
      return "The device is not ready.\r\n";
    case 29:
      return "The system cannot write to the specified device.\r\n";
    case 30:
      return "The system cannot read from the specified device.\r\n";
    case 31:
      return "A device attached to the system is not functioning.\r\n";
    case 32:
      return "The process cannot access the file because it is being used by another "
             "process.\r\n";
    case 33:
      return "The process cannot access the file because another process has locked a portion "
             "of the file.\r\n";
    case 39:
      return "The disk is full.\r\n";
    case 80:
      return "The file exists.\r\n";
    case 82:
      return "The directory or file cannot be created.\r\n";
    case 87:
      return "The parameter is incorrect.\r\n";
    case 112:
      return "There is not enough space on the disk.\r\n";
    case 123:
      return "The filename, directory name, or volume label syntax is incorrect.\r\n";
    case 145:
      return "The directory is not empty.\r\n";
    case 161:
      return "The specified path is invalid.\r\n";
    case 183:
      return "Cannot create a file when that file already exists.\r\n";
    case 206:
      return "The filename or extension is too long.\r\n";
    case 234:
      return "More data is available.\r\n";
    case 259:
      return "No more data is available.\r\n";
    case 267:
      return "The directory name is invalid.\r\n";
    case 1009:
      return "The configuration registry database is corrupt.\r\n";
    case 1013:
      return "The configuration registry key could not be written.\r\n";
    default:
      return "";
  }
}

std::string CrtErrorText(int error) {
  char buffer[256];
  // The GNU strerror_r answers a pointer that may or may not be `buffer`.
  const char* text = strerror_r(error, buffer, sizeof buffer);
  return text != nullptr ? std::string(text) : std::string();
}

}  // namespace setup
