// The host's clock: the C library's local time.
#pragma once

#include "platform/clock.h"

namespace setup {

class SystemClock final : public Clock {
 public:
  bool LocalTime(std::tm* result) override;
};

}  // namespace setup
