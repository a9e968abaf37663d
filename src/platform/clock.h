// The clock: local time for log timestamps, and a steady count that paces the installation.
#pragma once

#include <cstdint>
#include <ctime>

namespace setup {

class Clock {
 public:
  virtual ~Clock() = default;
  // The current local time broken down; false when it cannot be determined.
  virtual bool LocalTime(std::tm* result) = 0;
  // Milliseconds on a steady clock from an arbitrary start; it wraps, so compare differences.
  virtual std::uint32_t Milliseconds() = 0;
};

}  // namespace setup
