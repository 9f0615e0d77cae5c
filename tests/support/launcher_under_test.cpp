#include "support/launcher_under_test.h"

#include <windows.h>
#include <shlwapi.h>

#include "product_config.h"
#include "support/scratch_dir.h"

namespace ormix::test {

std::string LauncherUnderTest() {
  char value[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("ORMIX_TEST_LAUNCHER", value, MAX_PATH);
  if (n == 0 || n >= MAX_PATH)
    return BinDir() + "\\" ORMIX_CFG_EXE_NAME;
  // Relative names keep the ctest entries free of Wine's drive mapping.
  if (PathIsRelativeA(value))
    return BinDir() + "\\" + value;
  return value;
}

}  // namespace ormix::test
