// The Windows clock: the C runtime's local time.
#include "platform/system_clock.h"

#include <time.h>
#include <windows.h>

namespace setup {

bool SystemClock::LocalTime(std::tm* result) {
  const time_t now = time(nullptr);
  return now != static_cast<time_t>(-1) && localtime_s(result, &now) == 0;
}

std::uint32_t SystemClock::Milliseconds() { return GetTickCount(); }

}  // namespace setup
