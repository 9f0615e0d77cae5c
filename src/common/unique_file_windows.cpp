// OpenForReading for Windows: the C runtime's fopen takes the path in the ANSI code page, so a
// path outside it would open nothing (or another file); _wfopen takes it as it is.
#include <cstdio>

#include "common/limits.h"
#include "common/unique_file.h"
#include "common/wide_text.h"

namespace ormix {

UniqueFile OpenForReading(const char* path) {
  wchar_t wide[kPathCapacity];
  if (WidenUtf8(path, wide) != 0)
    return UniqueFile();
  return UniqueFile(_wfopen(wide, L"rb"));
}

}  // namespace ormix
