// The clock: local time for log timestamps.
#pragma once

#include <ctime>

namespace setup {

class Clock {
 public:
  virtual ~Clock() = default;
  // The current local time broken down; false when it cannot be determined.
  virtual bool LocalTime(std::tm* result) = 0;
};

}  // namespace setup
