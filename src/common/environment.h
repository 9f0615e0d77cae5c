// Reading the launcher's own environment.
#pragma once

#include <cstddef>

namespace ormix {

// Copies the variable's value into buffer and returns it, or returns null when the variable is
// unset, empty, or longer than the buffer (a value that long cannot name a usable folder).
const char* ReadEnvironment(const char* name, char* buffer, std::size_t capacity);

}  // namespace ormix
