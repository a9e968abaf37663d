// The system clock: the C runtime's local time; one implementation per target.
#pragma once

#include "platform/clock.h"

namespace setup {

class SystemClock final : public Clock {
 public:
  bool LocalTime(std::tm* result) override;
  std::uint32_t Milliseconds() override;
};

}  // namespace setup
