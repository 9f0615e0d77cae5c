// Where the runtime that will run the application lives. Filled by the runtime search, read by the
// start-up sequence and the launch. The empty string stands for absence in every field.
#pragma once

#include "common/limits.h"

namespace ormix {

struct RuntimeLocation {
  char interpreter_path[kPathCapacity];  // program to start: python(w).exe or the runtime host
  char runtime_home[kPathCapacity];      // folder of the runtime found; becomes ORMIX_APP_ROOT
  char app_root[kPathCapacity];          // launcher folder for an embedded runtime, else empty
  char slot[kSlotCapacity];              // channel slot from the app version file, or empty
};

}  // namespace ormix
