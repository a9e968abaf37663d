// The one rule for running out of memory: an operation whose result already covers a failed
// allocation (a failed load, a lost log line, a failed registry read or write, a short read)
// catches it here, at its own boundary; everywhere else std::bad_alloc ends the program.
#pragma once

#include <new>
#include <stdexcept>

namespace setup {

// Answers what `body` answers, or `failure` when it ran out of memory. A size beyond the largest
// a container can hold (std::length_error) is the same fault: there could never be memory for it.
template <typename Result, typename Body>
[[nodiscard]] Result FailureWhenOutOfMemory(Result failure, Body&& body) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return failure;
  } catch (const std::length_error&) {
    return failure;
  }
}

}  // namespace setup
