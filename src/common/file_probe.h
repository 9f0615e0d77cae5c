// Attribute probes on ANSI paths. They only look; nothing is opened or created.
#pragma once

namespace ormix {

bool PathExists(const char* path);      // a file or a folder
bool IsExistingFile(const char* path);  // exists and is not a directory
bool IsExistingDirectory(const char* path);

}  // namespace ormix
