#include "common/wide_text.h"

#include <windows.h>

#include "common/limits.h"
#include "common/text_format.h"

namespace ormix {

unsigned SystemAnsiCodePage() {
  DWORD code_page = 0;
  int got =
      GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                     reinterpret_cast<wchar_t*>(&code_page), sizeof code_page / sizeof(wchar_t));
  return got != 0 && code_page != 0 ? code_page : CP_ACP;
}

int DecodeAnsi(unsigned code_page, std::string_view bytes, std::size_t limit, char* out,
               std::size_t capacity) {
  if (out == nullptr || capacity == 0)
    return -1;
  out[0] = '\0';
  if (limit > kLogLineCap)
    limit = kLogLineCap;
  // In a double-byte code page (932, 936, 949, 950) a lead byte takes the next byte with it, so
  // the cut is found walking from the start; in the others every byte is a character.
  std::size_t length = 0;
  while (length < bytes.size()) {
    std::size_t step = IsDBCSLeadByteEx(code_page, static_cast<BYTE>(bytes[length])) ? 2 : 1;
    if (length + step > limit)
      break;
    length += step;
  }
  if (length == 0)
    return 0;
  wchar_t wide[kLogLineCap + 1];
  int units = MultiByteToWideChar(code_page, 0, bytes.data(), static_cast<int>(length), wide,
                                  static_cast<int>(kLogLineCap));
  if (units <= 0)
    return -1;
  wide[units] = L'\0';
  char text[kDecodedLogLineCapacity];
  // A code page decodes to whole characters, so nothing is refused here; the replacement only
  // guards a code page that would give a lone surrogate.
  if (NarrowToUtf8(wide, text, sizeof text, Malformed::kReplace) != 0)
    return -1;
  CopyText(out, capacity, text);
  return 0;
}

int DecodeSystemAnsi(std::string_view bytes, std::size_t limit, char* out, std::size_t capacity) {
  return DecodeAnsi(SystemAnsiCodePage(), bytes, limit, out, capacity);
}

}  // namespace ormix
