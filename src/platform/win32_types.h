// Windows scalar types, handles and constants that core code needs without <windows.h>.
#pragma once

#include <cstdint>

namespace setup {

using Win32Error = std::uint32_t;  // a GetLastError() value; 0 is success
using HResult = std::int32_t;      // a COM result; 0 is S_OK
using WindowHandle = void*;        // an HWND; null is "no owner"

// Win32 error codes the core reads or the hosts produce.
enum : Win32Error {
  kErrorSuccess = 0,
  kErrorFileNotFound = 2,
  kErrorPathNotFound = 3,
  kErrorTooManyOpenFiles = 4,
  kErrorAccessDenied = 5,
  kErrorInvalidHandle = 6,
  kErrorNotEnoughMemory = 8,
  kErrorInvalidDrive = 15,
  kErrorWriteProtect = 19,
  kErrorNotReady = 21,
  kErrorWriteFault = 29,
  kErrorReadFault = 30,
  kErrorSharingViolation = 32,
  kErrorLockViolation = 33,
  kErrorHandleDiskFull = 39,
  kErrorFileExists = 80,
  kErrorInvalidParameter = 87,
  kErrorDiskFull = 112,
  kErrorInvalidName = 123,
  kErrorDirNotEmpty = 145,
  kErrorBadPathname = 161,
  kErrorAlreadyExists = 183,
  kErrorFilenameExcedRange = 206,
  kErrorCallNotImplemented = 120,
  kErrorMoreData = 234,
  kErrorNoMoreItems = 259,
  kErrorDirectory = 267,
  kErrorBadDatabase = 1009,  // ERROR_BADDB: the registry file is corrupt
  kErrorCantWrite = 1013,    // ERROR_CANTWRITE: the registry could not be saved
  kErrorKeyDeleted = 1018,   // ERROR_KEY_DELETED: the key was deleted since it was opened
};

// COM results.
enum : HResult {
  kSOk = 0,
  kEFail = static_cast<HResult>(0x80004005),
  kEOutOfMemory = static_cast<HResult>(0x8007000E),
  kEInvalidArg = static_cast<HResult>(0x80070057),
  kENoInterface = static_cast<HResult>(0x80004002),
  kClassENotRegistered = static_cast<HResult>(0x80040154),
};

inline constexpr HResult HResultFromWin32(Win32Error e) {
  return e == 0 ? 0 : static_cast<HResult>((e & 0xFFFFu) | 0x80070000u);
}

// The Windows names below keep their Win32 spelling. Where <windows.h> was included first its
// macros stand in for them (same values); each group is skipped then.
#ifndef IDOK
// Dialog results and message-box answers.
enum : int { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };
#endif

#ifndef MB_OK
// Message-box styles.
enum : unsigned {
  MB_OK = 0x0,
  MB_OKCANCEL = 0x1,
  MB_YESNO = 0x4,
  MB_ICONERROR = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONWARNING = 0x30,
  MB_ICONINFORMATION = 0x40,
  MB_TYPEMASK = 0xF,
  MB_ICONMASK = 0xF0,
  MB_DEFBUTTON2 = 0x100,
};
#endif

#ifndef FILE_ATTRIBUTE_DIRECTORY
// File attributes.
enum : std::uint32_t {
  FILE_ATTRIBUTE_READONLY = 0x1,
  FILE_ATTRIBUTE_HIDDEN = 0x2,
  FILE_ATTRIBUTE_SYSTEM = 0x4,
  FILE_ATTRIBUTE_DIRECTORY = 0x10,
  FILE_ATTRIBUTE_ARCHIVE = 0x20,
  FILE_ATTRIBUTE_DEVICE = 0x40,  // the host's FIFOs and devices
  FILE_ATTRIBUTE_NORMAL = 0x80,
  FILE_ATTRIBUTE_REPARSE_POINT = 0x400,  // a symbolic link
};
#endif

#ifndef REG_SZ
// Registry value types.
enum : std::uint32_t {
  REG_NONE = 0,
  REG_SZ = 1,
  REG_EXPAND_SZ = 2,
  REG_BINARY = 3,
  REG_DWORD = 4,
  REG_MULTI_SZ = 7,
  REG_QWORD = 11,
};
#endif

// The largest path a system path buffer holds, terminating zero included.
inline constexpr int kMaxPath = 260;

}  // namespace setup
