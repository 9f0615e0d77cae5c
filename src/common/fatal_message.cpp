#include "common/fatal_message.h"

#include <windows.h>

#include <cstring>

#include "common/product.h"
#include "common/text_format.h"

namespace ormix {

void ShowFatalMessage(const char* text) {
  // Room for the longest text the launcher composes (the 4096-byte failure report) plus the name.
  static char line[4096 + 256];
  std::size_t length = Format(line, "%s: %s\n", kDisplayName, text);
  // Written straight to the handle: a GUI program's C runtime streams may not be attached to it.
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (err != nullptr && err != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(err, line, static_cast<DWORD>(length), &written, nullptr);
  }
  MessageBoxA(nullptr, text, kDisplayName, MB_ICONERROR | MB_SETFOREGROUND);
}

}  // namespace ormix
