// Taking a fuzz input apart into the several texts a target needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace setup::fuzz {

// The input cut at every `delimiter` byte into at most `count` parts (the last keeps the rest);
// missing parts are absent from the answer.
inline std::vector<std::string> SplitInput(const std::uint8_t* data, std::size_t size,
                                           char delimiter, std::size_t count) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> parts;
  while (parts.size() + 1 < count) {
    const std::size_t at = rest.find(delimiter);
    if (at == std::string_view::npos) break;
    parts.emplace_back(rest.substr(0, at));
    rest.remove_prefix(at + 1);
  }
  parts.emplace_back(rest);
  return parts;
}

// Stops the run with libFuzzer's crash report when a promise of the code under test is broken.
#define FUZZ_CHECK(condition)                                                            \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      __builtin_trap();                                                                  \
    }                                                                                    \
  } while (0)

}  // namespace setup::fuzz
