// Move-only holders that close a Win32 resource on every path: kernel handles, find handles,
// registry keys, shell item lists and system-allocated buffers.
#pragma once

#include "platform/win32/windows_headers.h"

namespace setup {

// Traits give the resource's type, its invalid value and how to release it.
template <typename Traits>
class ScopedHandle {
 public:
  using Type = typename Traits::Type;

  ScopedHandle() = default;
  explicit ScopedHandle(Type value) : value_(value) {}
  ScopedHandle(ScopedHandle&& other) noexcept : value_(other.release()) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ~ScopedHandle() { reset(); }

  bool valid() const { return value_ != Traits::Invalid(); }
  Type get() const { return value_; }
  // For out-parameters: releases what is held and answers where to store the new value.
  Type* receive() {
    reset();
    return &value_;
  }
  Type release() {
    Type value = value_;
    value_ = Traits::Invalid();
    return value;
  }
  void reset(Type value = Traits::Invalid()) {
    if (valid()) Traits::Close(value_);
    value_ = value;
  }

 private:
  Type value_ = Traits::Invalid();
};

struct KernelHandleTraits {
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) { CloseHandle(h); }
};

struct FindHandleTraits {
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) { FindClose(h); }
};

// Keys opened or created by us; the predefined roots are never held here.
struct RegKeyTraits {
  using Type = HKEY;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { RegCloseKey(h); }
};

struct ItemIdListTraits {
  using Type = LPITEMIDLIST;
  static Type Invalid() { return nullptr; }
  static void Close(Type p) { CoTaskMemFree(p); }
};

// Buffers that the system allocated for us with LocalAlloc (FormatMessageA's).
struct LocalMemoryTraits {
  using Type = char*;
  static Type Invalid() { return nullptr; }
  static void Close(Type p) { LocalFree(p); }
};

using ScopedKernelHandle = ScopedHandle<KernelHandleTraits>;
using ScopedFindHandle = ScopedHandle<FindHandleTraits>;
using ScopedHkey = ScopedHandle<RegKeyTraits>;
using ScopedItemIdList = ScopedHandle<ItemIdListTraits>;
using ScopedLocalMemory = ScopedHandle<LocalMemoryTraits>;

}  // namespace setup
