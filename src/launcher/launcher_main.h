// The launcher's start-up sequence: arguments, own path, runtime (and what to do without one),
// the windowless interpreter, the application's environment, and the launch.
#pragma once

#include <cstddef>

#include "common/runtime_location.h"

namespace ormix {

// The launcher's own command line, GetCommandLineW's, split by SplitCommandLine (entry 0 is the
// launcher as it was invoked). Null when the block cannot be allocated.
wchar_t** SplitLauncherCommandLine(int* argc);

// The whole launch; the result is the launcher's exit code.
int LauncherMain(int argc, wchar_t** argv);

// The launcher's own full path in UTF-8. -1 (with buffer empty) when it cannot be read, may have
// been cut, does not fit capacity, or holds a surrogate without its partner (no exact UTF-8 form).
int GetLauncherPath(char* buffer, std::size_t capacity);

// Replaces a "\python.exe" interpreter (any case) by the "pythonw.exe" beside it when that file
// exists, so that the application opens no console window.
void SwitchToWindowlessInterpreter(RuntimeLocation& location);

// Sets the six ORMIX_ variables that the application inherits.
void SetApplicationEnvironment(const char* launcher_path, const RuntimeLocation& location);

}  // namespace ormix
