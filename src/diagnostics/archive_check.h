// Recognising a launcher that runs from an archive tool's temporary extraction folder, where no
// runtime can lie beside it, and the advice to extract the whole archive first.
#pragma once

#include <cstddef>
#include <string_view>

namespace ormix {

// Whether one directory component has one of the three temporary-folder forms.
bool IsArchiveTempComponent(std::string_view component);

// 1 when a directory component of path (not its file name) has an archive tool's form, else 0.
int IsArchiveTempPath(const char* path);

void FormatArchiveMessage(const char* display_name, const char* file_name, char* out,
                          std::size_t capacity);

}  // namespace ormix
