#include "common/heap_vector.h"

#include <cstring>

namespace ormix {

char* DuplicateText(const char* text) {
  std::size_t size = std::strlen(text) + 1;
  char* copy = static_cast<char*>(std::malloc(size));
  if (copy != nullptr)
    std::memcpy(copy, text, size);
  return copy;
}

}  // namespace ormix
