#include "common/fatal_message.h"

#include <windows.h>

#include <cstring>

#include "common/limits.h"
#include "common/message_box.h"
#include "common/product.h"
#include "common/text_format.h"

namespace ormix {

void ShowFatalMessage(const char* text) {
  static char line[kFatalLineCapacity];
  std::size_t length = Format(line, "%s: %s\n", kDisplayName, text);
  // Written straight to the handle, as UTF-8 bytes: a GUI program's C runtime streams may not be
  // attached to it, and they would convert the text to the ANSI code page.
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (err != nullptr && err != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(err, line, static_cast<DWORD>(length), &written, nullptr);
  }
  ShowMessageBox(text, kDisplayName, MB_ICONERROR | MB_SETFOREGROUND);
}

}  // namespace ormix
