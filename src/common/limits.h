// Capacities of the fixed buffers that the launcher passes between its parts.
#pragma once

#include <cstddef>

namespace ormix {

inline constexpr std::size_t kPathCapacity = 4096;
inline constexpr std::size_t kSlotCapacity = 32;
inline constexpr std::size_t kMessageCapacity = 1024;
inline constexpr std::size_t kUrlCapacity = 1024;

}  // namespace ormix
