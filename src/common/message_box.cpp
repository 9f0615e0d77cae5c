#include "common/message_box.h"

#include <windows.h>

#include "common/system_library.h"

namespace ormix {

int ShowMessageBox(const char* text, const char* caption, unsigned int flags) {
  auto message_box = LoadSystemFunction<decltype(&MessageBoxA)>(L"user32.dll", "MessageBoxA");
  if (message_box == nullptr)
    return 0;
  return message_box(nullptr, text, caption, flags);
}

}  // namespace ormix
