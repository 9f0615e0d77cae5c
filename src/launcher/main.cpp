// The process entry point: narrow the DLL search, split the command line and hand over to
// LauncherMain.
#include <windows.h>
#include <shellapi.h>

#include "common/system_library.h"
#include "launcher/launcher_main.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Before anything can load a DLL by name.
  ormix::RestrictDllSearch();
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr)
    return 1;
  int result = ormix::LauncherMain(argc, argv);
  LocalFree(argv);
  return result;
}
