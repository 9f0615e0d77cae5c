#include "common/environment.h"

#include <windows.h>

namespace ormix {

// Read from the process environment block rather than the C runtime's copy: with a wide entry
// point the runtime's narrow environment is not always built, and getenv would see nothing.
const char* ReadEnvironment(const char* name, char* buffer, std::size_t capacity) {
  if (buffer == nullptr || capacity == 0)
    return nullptr;
  buffer[0] = '\0';
  DWORD length = GetEnvironmentVariableA(name, buffer, static_cast<DWORD>(capacity));
  if (length == 0 || length >= capacity) {
    buffer[0] = '\0';
    return nullptr;
  }
  return buffer;
}

}  // namespace ormix
