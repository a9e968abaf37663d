// Libraries taken from the system directory only, never from the program's own folder, where a
// planted file of the same name would run inside an installer with administrator rights.
#pragma once

#include "platform/win32/windows_headers.h"

namespace setup {

// Limits the process's library search to the system directory, for the libraries Windows
// itself loads later on our behalf. Called first thing by every program.
void RestrictLibrarySearchToSystem();

// A library of the system directory, freed with its holder.
class SystemLibrary {
 public:
  // Loads `name` (a bare file name) from the system directory; invalid when it is not there.
  explicit SystemLibrary(const char* name);
  SystemLibrary(const SystemLibrary&) = delete;
  SystemLibrary& operator=(const SystemLibrary&) = delete;
  ~SystemLibrary();

  bool valid() const { return module_ != nullptr; }
  // The exported function `name` as type F; null when the library or the function is missing.
  template <typename F>
  F Function(const char* name) const {
    if (module_ == nullptr) return nullptr;
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }

 private:
  HMODULE module_ = nullptr;
};

}  // namespace setup
