// The machine a script is checked against: its directories give the macros their values.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace setup::pack {

class CheckingMachine {
 public:
  CheckingMachine();
  ~CheckingMachine();
  CheckingMachine(const CheckingMachine&) = delete;
  CheckingMachine& operator=(const CheckingMachine&) = delete;

  // On the host: the machine folder `folder` (the value of --machine), else the installer's
  // default one, only read; a folder that does not exist yet stands for a new machine folder
  // with its default directories. On Windows: this machine (`folder` must be absent). Answers
  // an empty text, or what went wrong.
  std::string Open(const std::optional<std::string>& folder);

  Platform platform();

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

}  // namespace setup::pack
