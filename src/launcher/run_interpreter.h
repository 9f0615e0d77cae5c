// Starting the application: the interpreter with "-m <module>" and the user's arguments, in a job
// object, with its output in the launch log; waiting for it; reporting a failure.
#pragma once

#include "common/runtime_location.h"

namespace ormix {

// Returns the application's exit code, or 3 after the could-not-start message, or 1 when the
// wide argument vector or the command line could not be made. utf8_args[0] is the launcher's own
// name and does not reach the application.
int RunInterpreter(const RuntimeLocation& location, const char* const* utf8_args, int argc);

}  // namespace ormix
