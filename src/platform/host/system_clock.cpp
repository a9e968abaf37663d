// The host's clock: the C library's local time.
#include "platform/system_clock.h"

#include <time.h>

#include <chrono>

namespace setup {

bool SystemClock::LocalTime(std::tm* result) {
  const time_t now = time(nullptr);
  return now != static_cast<time_t>(-1) && localtime_r(&now, result) != nullptr;
}

std::uint32_t SystemClock::Milliseconds() {
  const auto since = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

}  // namespace setup
