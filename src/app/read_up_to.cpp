// Reading a text file the pages show, as far as the file delivers it and never beyond a bound.
#include "app/read_up_to.h"

#include <algorithm>

#include "platform/out_of_memory.h"

namespace setup {

bool ReadUpTo(File& file, std::int64_t length, std::string* bytes) {
  constexpr std::size_t kPiece = 64 * 1024;
  const auto wanted =
      static_cast<std::uint64_t>(std::clamp<std::int64_t>(length, 0, kMaxPageTextBytes));
  const bool whole = FailureWhenOutOfMemory(false, [&] {
    while (bytes->size() < wanted) {
      const std::size_t have = bytes->size();
      const auto piece = static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, wanted - have));
      bytes->resize(have + piece);
      const std::size_t got = file.Read(bytes->data() + have, piece);
      bytes->resize(have + got);
      if (got < piece) return false;
    }
    return true;
  });
  return whole && length <= kMaxPageTextBytes;
}

}  // namespace setup
