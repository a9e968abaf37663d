// The Windows shell: the Programs folder (shell32) and shell-link objects (ole32).
#include "platform/win32/win32_shell.h"

#include <vector>

#include "platform/win32/com_ptr.h"
#include "platform/win32/scoped_handle.h"
#include "platform/win32/windows_headers.h"

namespace setup {
namespace {

class Win32ShellLink final : public ShellLink {
 public:
  explicit Win32ShellLink(ComPtr<IShellLinkA> link) : link_(std::move(link)) {}

  HResult SetPath(const std::string& target) override { return link_->SetPath(target.c_str()); }

  HResult SetDescription(const std::string& description) override {
    return link_->SetDescription(description.c_str());
  }

  HResult QueryPersistFile() override {
    return link_->QueryInterface(__uuidof(IPersistFile), persist_.receive());
  }

  HResult Save(const std::u16string& path, bool remember) override {
    if (!persist_) return kEFail;
    const std::wstring wide(path.begin(), path.end());
    return persist_->Save(wide.c_str(), remember ? TRUE : FALSE);
  }

 private:
  // Declared in this order so the persist-file interface is released before the link.
  ComPtr<IShellLinkA> link_;
  ComPtr<IPersistFile> persist_;
};

}  // namespace

bool Win32Shell::GetProgramsFolder(WindowHandle owner, std::string* path) {
  ScopedItemIdList items;
  if (FAILED(
          SHGetSpecialFolderLocation(static_cast<HWND>(owner), CSIDL_PROGRAMS, items.receive())) ||
      !items.valid()) {
    return false;
  }
  char buffer[kMaxPath] = {};
  if (!SHGetPathFromIDListA(items.get(), buffer)) return false;
  *path = buffer;
  return true;
}

void Win32Shell::CoInitialize() { ::CoInitialize(nullptr); }

void Win32Shell::CoUninitialize() { ::CoUninitialize(); }

HResult Win32Shell::CreateShellLink(std::unique_ptr<ShellLink>* link) {
  ComPtr<IShellLinkA> object;
  // The GUIDs come from the headers (__uuidof), not from the uuid library, whose GUIDs share
  // sections the linker cannot drop: tens of kilobytes for three identifiers.
  const HRESULT result = CoCreateInstance(__uuidof(::ShellLink), nullptr, CLSCTX_INPROC_SERVER,
                                          __uuidof(IShellLinkA), object.receive());
  if (FAILED(result)) return result;
  if (!object) return kENoInterface;
  *link = std::make_unique<Win32ShellLink>(std::move(object));
  return result;
}

bool Win32Shell::MultiByteToWideChar(const std::string& text, int maxUnits, std::u16string* wide) {
  // A zero-sized buffer would make the call answer the size it needs instead of converting.
  if (maxUnits <= 0) return false;
  std::vector<wchar_t> buffer(static_cast<std::size_t>(maxUnits));
  const int units = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, buffer.data(), maxUnits);
  if (units <= 0) return false;
  wide->assign(buffer.begin(), buffer.begin() + (units - 1));
  return true;
}

}  // namespace setup
