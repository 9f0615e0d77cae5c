#include "launcher/launcher_main.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

#include "common/text_format.h"
#include "support/identity.h"
#include "support/scoped_env.h"
#include "support/scratch_dir.h"

namespace ormix {
namespace {

using test::ScopedEnv;
using test::ScratchDir;

std::optional<std::string> Env(const char* name) {
  char value[4096];
  DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  if (n == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND)
    return std::nullopt;
  return std::string(value, n);
}

RuntimeLocation LocationWith(const std::string& interpreter) {
  RuntimeLocation location = {};
  CopyText(location.interpreter_path, interpreter.c_str());
  return location;
}

TEST(WindowlessSwitchTest, SwitchesOnlyABackslashPythonExeWithAFileBeside) {
  ScratchDir dir;
  dir.WriteFile("both\\python.exe", "");
  dir.WriteFile("both\\pythonw.exe", "");
  dir.WriteFile("console\\python.exe", "");
  dir.WriteFile("folder\\python.exe", "");
  dir.MakeDir("folder\\pythonw.exe");
  dir.WriteFile("host\\HarrowmereRuntime.exe", "");
  dir.WriteFile("host\\pythonw.exe", "");
  struct Case {
    std::string interpreter;
    std::string expected;
  } cases[] = {
      {dir.Path("both\\python.exe"), dir.Path("both\\pythonw.exe")},
      // Any case of the name; the new name is written in lower case, the folder unchanged.
      {dir.Path("both\\PYTHON.EXE"), dir.Path("both\\pythonw.exe")},
      {dir.Path("both\\Python.Exe"), dir.Path("both\\pythonw.exe")},
      {dir.Path("console\\python.exe"), dir.Path("console\\python.exe")},
      {dir.Path("folder\\python.exe"), dir.Path("folder\\python.exe")},
      {dir.Path("host\\HarrowmereRuntime.exe"), dir.Path("host\\HarrowmereRuntime.exe")},
      // Only a backslash before the name counts.
      {dir.path() + "\\both/python.exe", dir.path() + "\\both/python.exe"},
      {"\\python.ex", "\\python.ex"},
      {"", ""},
  };
  for (const Case& c : cases) {
    RuntimeLocation location = LocationWith(c.interpreter);
    SwitchToWindowlessInterpreter(location);
    EXPECT_STREQ(location.interpreter_path, c.expected.c_str()) << c.interpreter;
  }
}

TEST(WindowlessSwitchTest, ShortestSwitchablePath) {
  // "\python.exe" alone is 11 characters: the switch looks for "pythonw.exe" in the current
  // drive's root, which does not exist here, so nothing changes and nothing breaks.
  RuntimeLocation location = LocationWith("\\python.exe");
  SwitchToWindowlessInterpreter(location);
  EXPECT_STREQ(location.interpreter_path, "\\python.exe");
}

TEST(ApplicationEnvironmentTest, PortableEmbeddedRuntime) {
  ScratchDir dir;
  dir.MakeDir("data");
  ScopedEnv portable("ORMIX_PORTABLE", std::nullopt);
  RuntimeLocation location = {};
  CopyText(location.runtime_home, dir.path().c_str());
  CopyText(location.app_root, dir.path().c_str());
  SetApplicationEnvironment((dir.path() + "\\OrmixConverter.exe").c_str(), location);
  EXPECT_EQ(Env("ORMIX_LAUNCHER_DIR"), dir.path());
  EXPECT_EQ(Env("ORMIX_APP_ROOT"), dir.path());
  EXPECT_EQ(Env("ORMIX_PORTABLE"), "1");
  const test::Identity& product = test::BuiltIdentity();
  EXPECT_EQ(Env("ORMIX_PRODUCT_NAME"), product.product_key);
  EXPECT_EQ(Env("ORMIX_PRODUCT_DISPLAY"), product.display_name);
  EXPECT_EQ(Env("ORMIX_PRODUCT_VERSION"), product.version);
}

TEST(ApplicationEnvironmentTest, WhatIsNotSetKeepsItsInheritedValue) {
  ScratchDir dir;
  dir.WriteFile("data", "a file, not a folder");
  ScopedEnv portable("ORMIX_PORTABLE", "inherited");
  ScopedEnv root("ORMIX_APP_ROOT", "inherited root");
  ScopedEnv launcher_dir("ORMIX_LAUNCHER_DIR", "inherited dir");
  RuntimeLocation location = {};
  CopyText(location.app_root, dir.path().c_str());
  // A launcher path without any separator sets no launcher folder; empty home sets no root.
  SetApplicationEnvironment("OrmixConverter.exe", location);
  EXPECT_EQ(Env("ORMIX_PORTABLE"), "inherited");
  EXPECT_EQ(Env("ORMIX_APP_ROOT"), "inherited root");
  EXPECT_EQ(Env("ORMIX_LAUNCHER_DIR"), "inherited dir");
}

TEST(ApplicationEnvironmentTest, LauncherFolderIsCutAtTheLastSeparatorOfEitherKind) {
  RuntimeLocation location = {};
  SetApplicationEnvironment("C:\\Apps\\Ormix/OrmixConverter.exe", location);
  EXPECT_EQ(Env("ORMIX_LAUNCHER_DIR"), "C:\\Apps\\Ormix");
  SetApplicationEnvironment("C:/Apps/Ormix\\OrmixConverter.exe", location);
  EXPECT_EQ(Env("ORMIX_LAUNCHER_DIR"), "C:/Apps/Ormix");
  // A drive's root keeps its backslash: "C:" alone would name drive C's current folder.
  SetApplicationEnvironment("C:\\OrmixConverter.exe", location);
  EXPECT_EQ(Env("ORMIX_LAUNCHER_DIR"), "C:\\");
}

TEST(LauncherPathTest, RefusesAPathThatFillsTheBuffer) {
  char path[4096];
  ASSERT_EQ(GetLauncherPath(path, sizeof path), 0);
  size_t length = std::strlen(path);
  EXPECT_EQ(GetLauncherPath(path, length + 1), 0);
  EXPECT_EQ(GetLauncherPath(path, length), -1);
  EXPECT_EQ(GetLauncherPath(path, 8), -1);
}

}  // namespace
}  // namespace ormix
