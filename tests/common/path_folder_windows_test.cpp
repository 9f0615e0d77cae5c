// FolderOf against the shell's own PathRemoveFileSpecA, which the runtime search once used: for
// the paths a module lookup gives (backslashes only) both must name the same folder.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <string>

#include "common/path_join.h"

namespace ormix {
namespace {

TEST(FolderOfTest, AgreesWithPathRemoveFileSpec) {
  const char* paths[] = {
      "C:\\Ormix\\OrmixConverter.exe",
      "C:\\OrmixConverter.exe",
      "D:\\a b\\c.d\\OrmixConverter.exe",
      "\\OrmixConverter.exe",
      "\\\\server\\share\\OrmixConverter.exe",
      "\\\\server\\share\\a\\OrmixConverter.exe",
      "C:\\a\\\xCE\xA9\xCE\xBC\\OrmixConverter.exe",
      "OrmixConverter.exe",
  };
  for (const char* path : paths) {
    char shell[MAX_PATH];
    lstrcpynA(shell, path, MAX_PATH);
    PathRemoveFileSpecA(shell);
    EXPECT_EQ(std::string(FolderOf(path)), shell) << path;
  }
}

}  // namespace
}  // namespace ormix
