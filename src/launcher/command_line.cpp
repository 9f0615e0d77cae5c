#include "launcher/command_line.h"

#include <cstddef>
#include <cstdlib>
#include <cwchar>

namespace ormix {
namespace {

bool NeedsQuotes(const wchar_t* arg) {
  if (arg[0] == L'\0')
    return true;
  // Carriage return and form feed do not split arguments, so they need no quotes.
  return std::wcspbrk(arg, L" \t\n\v\"") != nullptr;
}

wchar_t* AppendQuoted(wchar_t* out, const wchar_t* arg) {
  *out++ = L'"';
  for (const wchar_t* p = arg;;) {
    std::size_t backslashes = 0;
    while (*p == L'\\') {
      ++backslashes;
      ++p;
    }
    if (*p == L'\0') {
      // Doubled, so that the closing quote is not escaped.
      for (std::size_t i = 0; i < 2 * backslashes; ++i) *out++ = L'\\';
      break;
    }
    std::size_t copies = *p == L'"' ? 2 * backslashes + 1 : backslashes;
    for (std::size_t i = 0; i < copies; ++i) *out++ = L'\\';
    *out++ = *p++;
  }
  *out++ = L'"';
  return out;
}

}  // namespace

wchar_t* BuildCommandLine(const wchar_t* const* args, int count) {
  // Worst case per argument: every character doubled, two quotes and a separator.
  std::size_t capacity = 1;
  for (int i = 0; i < count; ++i) {
    std::size_t length = std::wcslen(args[i]);
    if (length > (static_cast<std::size_t>(-1) / sizeof(wchar_t) - capacity - 3) / 2) {
      return nullptr;
    }
    capacity += 2 * length + 3;
  }
  auto* line = static_cast<wchar_t*>(std::calloc(capacity, sizeof(wchar_t)));
  if (line == nullptr)
    return nullptr;

  wchar_t* out = line;
  for (int i = 0; i < count; ++i) {
    if (i > 0)
      *out++ = L' ';
    if (NeedsQuotes(args[i])) {
      out = AppendQuoted(out, args[i]);
    } else {
      for (const wchar_t* p = args[i]; *p != L'\0'; ++p) *out++ = *p;
    }
  }
  *out = L'\0';
  return line;
}

}  // namespace ormix
