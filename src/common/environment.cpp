#include "common/environment.h"

#include <windows.h>

#include "common/limits.h"
#include "common/wide_text.h"

namespace ormix {
namespace {

// Variable names are the launcher's own, short and ASCII.
constexpr std::size_t kNameCapacity = 64;

}  // namespace

// Read from the process environment block rather than the C runtime's copy: with a wide entry
// point the runtime's narrow environment is not always built, and getenv would see nothing. The
// narrow call is no help either: it turns characters outside the ANSI code page into '?', and in
// a process whose code page is UTF-8, Wine 8 cuts the value to as many bytes as it has units.
const char* ReadEnvironment(const char* name, char* buffer, std::size_t capacity) {
  if (buffer == nullptr || capacity == 0)
    return nullptr;
  buffer[0] = '\0';
  wchar_t wide_name[kNameCapacity];
  if (WidenUtf8(name, wide_name) != 0)
    return nullptr;
  // Every caller's buffer holds kPathCapacity bytes, which no value of more units could fit.
  wchar_t value[kPathCapacity];
  DWORD length = GetEnvironmentVariableW(wide_name, value, kPathCapacity);
  if (length == 0 || length >= kPathCapacity)
    return nullptr;
  if (NarrowToUtf8(value, buffer, capacity) != 0)
    return nullptr;
  return buffer;
}

int SetEnvironment(const char* name, const char* value) {
  wchar_t wide_name[kNameCapacity];
  wchar_t wide_value[kPathCapacity];
  if (WidenUtf8(name, wide_name) != 0 || WidenUtf8(value, wide_value) != 0)
    return -1;
  return SetEnvironmentVariableW(wide_name, wide_value) ? 0 : -1;
}

}  // namespace ormix
