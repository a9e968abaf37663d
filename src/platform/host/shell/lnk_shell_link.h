// The host's shell-link object: writes .lnk files into the machine folder.
#pragma once

#include <memory>

#include "platform/file_system.h"
#include "platform/host/ansi_code_page.h"
#include "platform/shell.h"

namespace setup {

// Answers a new shell-link object (S_OK) that saves through `files`, which must outlive it, as
// must `codePage` (the ANSI code page; null: Windows-1252).
//
// As Windows' CLSID_ShellLink: SetPath and SetDescription keep their texts; QueryPersistFile
// succeeds; Save(path) converts the UTF-16 path to the ANSI code page and writes the link file
// there, answering S_OK, or HRESULT_FROM_WIN32 of the failure: a missing directory gives
// ERROR_PATH_NOT_FOUND (0x80070003) and is not created. A file cut short by a failed write is
// removed.
HResult CreateHostShellLink(FileSystem& files, std::unique_ptr<ShellLink>* link,
                            const AnsiCodePage* codePage = nullptr);

}  // namespace setup
