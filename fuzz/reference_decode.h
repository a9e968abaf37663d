// Decodes a payload with the tests' plain reference decoder, starting from a fresh window.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace setup::fuzz {

std::string ReferenceDecode(std::string_view payload);

}  // namespace setup::fuzz
