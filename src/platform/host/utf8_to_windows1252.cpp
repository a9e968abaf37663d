// Converting UTF-8 text into Windows-1252 with the C library's iconv.
#include "platform/utf8_to_windows1252.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace setup {

namespace {

// Owns one iconv conversion descriptor.
class IconvHandle {
 public:
  IconvHandle(const char* to, const char* from) : handle_(::iconv_open(to, from)) {}
  ~IconvHandle() {
    if (valid()) ::iconv_close(handle_);
  }
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;
  bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return handle_; }

 private:
  iconv_t handle_;
};

}  // namespace

bool Utf8ToWindows1252(std::string_view utf8, std::string* ansi, std::size_t* failedAt) {
  *failedAt = 0;
  IconvHandle convert("WINDOWS-1252", "UTF-8");
  if (!convert.valid()) return false;
  // Every character takes one byte in Windows-1252: the output never outgrows the input.
  std::vector<char> out(utf8.size() + 1);
  char* in = const_cast<char*>(utf8.data());
  std::size_t inLeft = utf8.size();
  char* to = out.data();
  std::size_t outLeft = out.size();
  while (inLeft > 0) {
    if (::iconv(convert.get(), &in, &inLeft, &to, &outLeft) != static_cast<std::size_t>(-1)) {
      continue;
    }
    if (errno == E2BIG) return false;  // cannot happen, see above; never loop on it
    *failedAt = static_cast<std::size_t>(in - utf8.data());
    return false;
  }
  ansi->assign(out.data(), static_cast<std::size_t>(to - out.data()));
  return true;
}

}  // namespace setup
