// The process entry point: narrow the DLL search, split the command line and hand over to
// LauncherMain.
#include <windows.h>
#include <shellapi.h>

#include "launcher/launcher_main.h"

namespace {

// The launcher is started from Downloads folders and archive tools' temporary folders, where any
// file may lie beside it. From here on a DLL that is loaded by name (by the launcher or by a
// system DLL on its behalf) comes from System32 only, never from the launcher's folder or the
// current directory. Looked up rather than imported: Windows 7 has the call only with KB2533623,
// and an import it lacks would keep the launcher from starting at all. Without it, at least the
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

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  RestrictDllSearch();
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr)
    return 1;
  int result = ormix::LauncherMain(argc, argv);
  LocalFree(argv);
  return result;
}
