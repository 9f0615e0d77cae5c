#include "common/file_probe.h"

#include <windows.h>

#include <cstring>

#include "common/limits.h"
#include "common/text_format.h"
#include "common/wide_text.h"

namespace ormix {
namespace {

// A path without an exact wide form names nothing that exists.
DWORD AttributesOf(const char* path) {
  wchar_t wide[kPathCapacity];
  if (WidenUtf8(path, wide) != 0)
    return INVALID_FILE_ATTRIBUTES;
  return GetFileAttributesW(wide);
}

}  // namespace

bool PathExists(const char* path) {
  return AttributesOf(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsExistingFile(const char* path) {
  DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool IsExistingDirectory(const char* path) {
  DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool HasPortableDataFolder(const char* app_root) {
  if (app_root == nullptr || app_root[0] == '\0')
    return false;
  char data[kPathCapacity];
  // A cut path would name another folder.
  if (Format(data, "%s\\data", app_root) != std::strlen(app_root) + 5)
    return false;
  return IsExistingDirectory(data);
}

}  // namespace ormix
