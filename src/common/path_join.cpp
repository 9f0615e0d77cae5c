#include "common/path_join.h"

#include <cstring>

#include "common/ascii.h"
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

std::string_view FolderOf(std::string_view path) {
  std::size_t cut = path.find_last_of("\\/");
  if (cut == std::string_view::npos)
    return {};
  bool is_root = cut == 0 || (cut == 2 && path[1] == ':');
  return Head(path, is_root ? cut + 1 : cut);
}

}  // namespace ormix
