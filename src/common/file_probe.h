// Attribute probes on paths (UTF-8). They only look; nothing is opened or created.
#pragma once

namespace ormix {

bool PathExists(const char* path);      // a file or a folder
bool IsExistingFile(const char* path);  // exists and is not a directory
bool IsExistingDirectory(const char* path);

// Whether "<app_root>\data" is an existing directory: what makes an embedded install portable,
// with its launch log in that folder. False for an empty app_root, and for one too long to join.
bool HasPortableDataFolder(const char* app_root);

}  // namespace ormix
