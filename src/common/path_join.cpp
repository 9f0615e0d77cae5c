#include "common/path_join.h"

#include <cstring>

#include "common/text_format.h"

namespace ormix {

void JoinPath(char* dst, std::size_t capacity, const char* folder, const char* name) {
  if (folder == nullptr || folder[0] == '\0') {
    Format(dst, capacity, "%s", name);
    return;
  }
  char last = folder[std::strlen(folder) - 1];
  const char* format = (last == '\\' || last == '/') ? "%s%s" : "%s\\%s";
  Format(dst, capacity, format, folder, name);
}

}  // namespace ormix
