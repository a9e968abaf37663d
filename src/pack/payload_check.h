// Whether one payload expands to exactly its header's length without running out of input.
#pragma once

#include <optional>
#include <string>

namespace setup::pack {

// Nothing when the payload at `path` is sound; otherwise why not.
std::optional<std::string> PayloadStreamProblem(const std::string& path);

}  // namespace setup::pack
