// The launcher's own exit codes. Any other value is the application's, passed through unchanged;
// the application may also end with 1 to 4, and the failure report is what tells them apart.
#pragma once

namespace ormix {

enum ExitCode : int {
  kExitSuccess = 0,
  kExitSilentFailure = 1,   // command line, argument conversion or allocation; nothing is shown
  kExitNoRuntime = 2,       // Dev channel, archive folder or plain missing runtime
  kExitCouldNotStart = 3,   // the interpreter could not be started
  kExitNoLauncherPath = 4,  // the launcher's own path could not be determined
};

}  // namespace ormix
