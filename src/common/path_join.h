// Path text: joining a folder and a name into a caller's fixed buffer, and finding a path's folder.
#pragma once

#include <cstddef>
#include <string_view>

namespace ormix {

// An empty (or null) folder gives the name; a folder that ends in "/" or "\" is followed directly
// by the name; any other folder gets one backslash between. Cut to capacity - 1 bytes.
void JoinPath(char* dst, std::size_t capacity, const char* folder, const char* name);

// The folder of a file's full path: the text before its last separator (backslash or forward
// slash). A root keeps its separator, so "C:\app.exe" gives "C:\" and "\app.exe" gives "\": a
// bare "C:" would mean the current folder of drive C. Empty when the path has no separator.
std::string_view FolderOf(std::string_view path);

}  // namespace ormix
