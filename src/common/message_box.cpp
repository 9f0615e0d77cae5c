#include "common/message_box.h"

#include <windows.h>

#include "common/limits.h"
#include "common/system_library.h"
#include "common/wide_text.h"

namespace ormix {

int ShowMessageBox(const char* text, const char* caption, unsigned int flags) {
  auto message_box = LoadSystemFunction<decltype(&MessageBoxW)>(L"user32.dll", "MessageBoxW");
  if (message_box == nullptr)
    return 0;
  // The box shows the very characters that standard error got. A box is shown whatever the text
  // holds, so anything without a wide form becomes U+FFFD rather than no message.
  static wchar_t wide_text[kWideMessageCapacity];
  wchar_t wide_caption[kMessageCapacity];
  WidenUtf8(text, wide_text, Malformed::kReplace);
  WidenUtf8(caption, wide_caption, Malformed::kReplace);
  return message_box(nullptr, wide_text, wide_caption, flags);
}

}  // namespace ormix
