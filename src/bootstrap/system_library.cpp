#include "bootstrap/system_library.h"

namespace ormix {

FARPROC LoadSystemProc(const wchar_t* dll_name, const char* function_name) {
  HMODULE module = LoadLibraryExW(dll_name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module == nullptr)
    return nullptr;
  return GetProcAddress(module, function_name);
}

}  // namespace ormix
