#include "diagnostics/launch_log.h"

#include <cstring>
#include <cwchar>

#include "common/environment.h"
#include "common/file_probe.h"
#include "common/limits.h"
#include "common/product.h"
#include "common/text_format.h"
#include "common/wide_text.h"

namespace ormix {
namespace {

// Creates every folder on the way to the log, parents first. Failures are passed over: a folder
// that exists already is the usual case, and a missing one makes the file's creation fail.
void CreateLogFolders(const wchar_t* path) {
  wchar_t folder[kPathCapacity];
  Format(folder, L"%s", path);
  wchar_t* last = std::wcsrchr(folder, L'\\');
  if (last == nullptr)
    return;
  *last = L'\0';
  // Index 0 is never a cut point, and prefixes of 1 or 2 characters ("C:", the start of a UNC
  // name) are not folders to create.
  for (wchar_t* p = folder + 1; *p != L'\0'; ++p) {
    if (*p != L'\\')
      continue;
    *p = L'\0';
    if (p - folder > 2)
      CreateDirectoryW(folder, nullptr);
    *p = L'\\';
  }
  CreateDirectoryW(folder, nullptr);
}

// Inheritable, because the application receives it as its standard output and error. Sharing
// read only: viewers may look, but no second launch can write into the same log.
HANDLE CreateLogFile(const wchar_t* path) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  return CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

int ChooseLaunchLogPath(const char* app_root, const char* product_key, char* out,
                        std::size_t capacity) {
  if (out == nullptr || capacity == 0)
    return -1;
  out[0] = '\0';
  if (HasPortableDataFolder(app_root)) {
    Format(out, capacity, "%s\\data\\logs\\launch.log", app_root);
    return 0;
  }
  char value[kPathCapacity];
  if (ReadEnvironment("APPDATA", value, sizeof value) != nullptr) {
    Format(out, capacity, "%s\\%s\\logs\\%s-launch.log", value, kAppDataFolder, product_key);
    return 0;
  }
  if (ReadEnvironment("TEMP", value, sizeof value) != nullptr) {
    Format(out, capacity, "%s\\%s-launch.log", value, product_key);
    return 0;
  }
  return -1;
}

HANDLE OpenLaunchLog(const char* path, const char* header_line) {
  if (path == nullptr || path[0] == '\0')
    return INVALID_HANDLE_VALUE;
  // A path without an exact wide form would create the log somewhere else.
  wchar_t wide_path[kPathCapacity];
  if (WidenUtf8(path, wide_path) != 0)
    return INVALID_HANDLE_VALUE;
  // The folders exist at every launch but the first, so they are made only when the file cannot
  // be created without them: each attempt to make one, from the drive down, is a call into the
  // file system at every start. A file that is created at once had all its folders already.
  HANDLE log = CreateLogFile(wide_path);
  if (log == INVALID_HANDLE_VALUE) {
    CreateLogFolders(wide_path);
    log = CreateLogFile(wide_path);
  }
  if (log == INVALID_HANDLE_VALUE)
    return INVALID_HANDLE_VALUE;

  if (header_line != nullptr && header_line[0] != '\0') {
    DWORD written = 0;
    WriteFile(log, header_line, static_cast<DWORD>(std::strlen(header_line)), &written, nullptr);
    WriteFile(log, "\n", 1, &written, nullptr);
  }
  return log;
}

}  // namespace ormix
