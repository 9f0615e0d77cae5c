// Running the downloaded runtime installer and waiting for it.
#pragma once

namespace ormix {

// Starts the installer through the shell with the verb "open" and no arguments, and waits for it.
// 0 only when it ran to its end with exit code 0, else 1. The file is deleted once the installer
// has ended; when it could not be started it stays.
int RunInstaller(const wchar_t* installer_path);

}  // namespace ormix
