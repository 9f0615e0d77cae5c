// Running the downloaded runtime installer and waiting for it.
#pragma once

#include "common/handles.h"

namespace ormix {

// Starts the installer through the shell with the verb "open" and no arguments, and waits for it.
// 0 only when it ran to its end with exit code 0, else 1. held is the checked file's handle
// (bootstrap/installer_check.h): it is closed once the shell has started the installer, or
// failed to. The file is deleted once the installer has ended; when it could not be started it
// stays.
int RunInstaller(const wchar_t* installer_path, FileHandle held);

}  // namespace ormix
