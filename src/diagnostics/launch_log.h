// The launch log: a header line written by the launcher, then everything the application writes
// to its standard output and standard error.
#pragma once

#include <windows.h>

#include <cstddef>

namespace ormix {

// Picks the log's path: the portable "data" folder under app_root, then APPDATA, then TEMP.
// Returns 0 with the path in out, or -1 with out empty when none applies.
int ChooseLaunchLogPath(const char* app_root, const char* product_key, char* out,
                        std::size_t capacity);

// Creates the file (truncating an earlier run's log), and its folders first when they are missing,
// writes the header line (its UTF-8 bytes) and a line feed, and returns an inheritable write
// handle, or INVALID_HANDLE_VALUE. The path is UTF-8; one without an exact wide form gives no log.
HANDLE OpenLaunchLog(const char* path, const char* header_line);

}  // namespace ormix
