// Whether one payload is sound: an LZHUF one expands to exactly its header's length without
// running out of input; an xz or stored one expands whole, its check and length matching.
#pragma once

#include <optional>
#include <string>

namespace setup::pack {

// Nothing when the payload at `path` is sound; otherwise why not.
std::optional<std::string> PayloadStreamProblem(const std::string& path);

}  // namespace setup::pack
