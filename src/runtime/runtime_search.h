// Finding the interpreter to run: the embedded runtime beside the launcher first, then the shared
// per-user runtime in its channel slot folder under LOCALAPPDATA.
#pragma once

#include <cstddef>

#include "common/runtime_location.h"

namespace ormix {

// 0 when a runtime was found, with the record filled; -1 when none was, with only slot possibly
// set (the installer URL is derived from it). The record is zero-filled first.
int ResolveRuntime(const char* launcher_path, RuntimeLocation* location);

// Probes "_internal\python.exe", "python.exe" and "pythonw.exe" in folder, in that order.
int FindEmbeddedRuntime(const char* folder, char* interpreter, std::size_t interpreter_capacity,
                        char* home, std::size_t home_capacity);

// Looks in %LOCALAPPDATA%\Harrowmere\Runtime\<slot, or the runtime series when slot is empty>.
int FindSharedRuntime(const char* slot, char* interpreter, std::size_t interpreter_capacity,
                      char* home, std::size_t home_capacity);

}  // namespace ormix
