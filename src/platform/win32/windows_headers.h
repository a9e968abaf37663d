// <windows.h> and the shell headers for the win32 layer, without the A/W name macros that would
// rename our own interface methods (CreateDirectory, MoveFile, MessageBox, ...). Code here calls
// the A functions by their full names.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// clang-format off: the order matters for the COM and shell headers.
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>
// clang-format on

#undef CreateDirectory
#undef FindFirstFile
#undef MoveFile
#undef DeleteFile
#undef SetFileAttributes
#undef RemoveDirectory
#undef DeleteKey
#undef GetTempPath
#undef GetWindowsDirectory
#undef GetSystemDirectory
#undef FormatMessage
#undef GetFullPathName
#undef MultiByteToWideChar
#undef MessageBox
#undef SetWindowText
#undef SetDlgItemText
#undef GetDlgItemText
#undef GetFileVersionInfoSize
#undef GetFileVersionInfo
