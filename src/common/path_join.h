// Joining a folder and a name into a caller's fixed path buffer.
#pragma once

#include <cstddef>

namespace ormix {

// An empty (or null) folder gives the name; a folder that ends in "/" or "\" is followed directly
// by the name; any other folder gets one backslash between. Cut to capacity - 1 bytes.
void JoinPath(char* dst, std::size_t capacity, const char* folder, const char* name);

}  // namespace ormix
