#include "common/message_box.h"

#include <windows.h>

namespace ormix {

int ShowMessageBox(const char* text, const char* caption, unsigned int flags) {
  return MessageBoxA(nullptr, text, caption, flags);
}

}  // namespace ormix
