// Texts a Windows program tells its starter.
#include "platform/win32/program_text.h"

#include "platform/standard_text.h"
#include "platform/win32/windows_headers.h"

namespace setup {
namespace {

// A program of the Windows subsystem has standard streams only when its starter gave it some
// (a redirection, a console parent); started from Explorer or the system's list it has none.
bool HasStream(DWORD which) {
  HANDLE handle = GetStdHandle(which);
  return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
         GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

}  // namespace

void ShowProgramText(const std::string& text, bool isError, const std::string& title) {
  if (text.empty()) return;
  if (HasStream(isError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE)) {
    TextSink& sink = isError ? StandardError() : StandardOutput();
    sink << text;
    sink.Flush();
    return;
  }
  MessageBoxA(nullptr, text.c_str(), title.c_str(), isError ? MB_ICONERROR : MB_OK);
}

}  // namespace setup
