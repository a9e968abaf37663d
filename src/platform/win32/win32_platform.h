// This Windows machine as the programs see it: its files, registry, shell links, version
// resources and clock, with the window system the program chose.
#pragma once

#include "platform/platform.h"
#include "platform/system_clock.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_version_info.h"

namespace setup {

class Win32Platform {
 public:
  // `windows` must outlive this object.
  explicit Win32Platform(WindowSystem& windows)
      : platform_{files_, registry_, shell_, versions_, windows, clock_} {}
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  const Platform& platform() const { return platform_; }

 private:
  Win32FileSystem files_;
  Win32Registry registry_;
  Win32Shell shell_;
  Win32VersionInfo versions_;
  SystemClock clock_;
  Platform platform_;
};

}  // namespace setup
