#include "common/system_library.h"

namespace ormix {

// Looked up rather than imported: Windows 7 has SetDefaultDllDirectories only with KB2533623, and
// an import it lacks would keep the launcher from starting at all. Without it, at least the
// current directory leaves the search.
void RestrictDllSearch() {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  FARPROC found = kernel != nullptr ? GetProcAddress(kernel, "SetDefaultDllDirectories") : nullptr;
  if (found != nullptr) {
    auto set_default =
        reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void (*)()>(found));
    if (set_default(LOAD_LIBRARY_SEARCH_SYSTEM32))
      return;
  }
  SetDllDirectoryW(L"");
}

HMODULE LoadSystemLibrary(const wchar_t* dll_name) {
  return LoadLibraryExW(dll_name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

FARPROC LoadSystemProc(const wchar_t* dll_name, const char* function_name) {
  HMODULE module = LoadSystemLibrary(dll_name);
  if (module == nullptr)
    return nullptr;
  return GetProcAddress(module, function_name);
}

}  // namespace ormix
