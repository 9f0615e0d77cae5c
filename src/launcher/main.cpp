// The process entry point: narrow the DLL search, split the command line and hand over to
// LauncherMain.
#include <windows.h>

#include "common/exit_codes.h"
#include "common/system_library.h"
#include "launcher/command_line.h"
#include "launcher/launcher_main.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Before anything can load a DLL by name.
  ormix::RestrictDllSearch();
  int argc = 0;
  ormix::ArgumentBlock argv(ormix::SplitLauncherCommandLine(&argc));
  if (!argv)
    return ormix::kExitSilentFailure;
  return ormix::LauncherMain(argc, argv.get());
}

#if defined(__GNUC__)
// Where GNU builds start (see ormix_launcher_options): the C runtime's own start-up is left out,
// and its exit too, since the launcher has nothing for it to run or flush. All 32 bits of the
// result are the exit code. MSVC builds start in their runtime, which calls wWinMain.
extern "C" void WINAPI LauncherEntry() {
  ExitProcess(static_cast<UINT>(wWinMain(nullptr, nullptr, nullptr, 0)));
}
#endif
