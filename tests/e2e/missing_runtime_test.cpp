// What the user is told when there is no runtime to run, or it cannot be started.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/identity.h"
#include "support/scenario.h"

namespace ormix::test {
namespace {

const Identity& product = ExpectedIdentity();
const std::string kMissing = MissingRuntimeMessage(product);
const std::string kDev = product.display_name +
                         " is a Dev version, and the engine it runs on is missing from this "
                         "computer.\n\nDev versions don't repair themselves. Reinstall the Dev "
                         "build of " +
                         product.display_name +
                         ", or install the Stable version from the Harrowmere website. The "
                         "application will now exit.";

std::string ArchiveMessage(const std::string& file_name) {
  return product.display_name +
         " was opened from inside the zip file, so Windows copied only that one file out and left "
         "the rest of the program behind.\n\nExtract the whole zip first: select it in File "
         "Explorer, press the Applications key, choose Extract All, and choose a folder. Then "
         "open " +
         file_name + " in the extracted folder.";
}

// A fatal message is one line on standard error and the same text in the launch's last box.
void ExpectFatal(const RunResult& run, const std::string& text) {
  EXPECT_EQ(run.err, FatalLine(product, text));
  ASSERT_FALSE(run.boxes.empty());
  EXPECT_EQ(Narrow(run.boxes.back().caption), product.display_name);
  EXPECT_EQ(Narrow(run.boxes.back().text), text);
}

bool AskedToDownload(const RunResult& run) {
  for (const BoxSeen& box : run.boxes) {
    if (box.text.find(L"Download and install it now?") != std::wstring::npos)
      return true;
  }
  return false;
}

TEST(MissingRuntimeTest, NothingFoundEndsWithTheMissingRuntimeMessage) {
  Scenario s;
  s.PlaceLauncher();
  RunResult run = s.Run({L"ignored"});
  ASSERT_FALSE(run.timed_out);
  EXPECT_EQ(run.exit_code, 2u);
  ExpectFatal(run, kMissing);
  EXPECT_FALSE(s.Record().present);
}

TEST(MissingRuntimeTest, UnusableSharedRuntimesCountAsMissing) {
  struct Case {
    const char* name;
    const char* manifest;  // null: no manifest file
    bool host;
  } cases[] = {
      {"wrong series", "{\"python\": \"3.14.0\"}", true},
      {"no manifest", nullptr, true},
      {"no host", "{\"python\": \"3.13.1\"}", false},
  };
  for (const Case& c : cases) {
    Scenario s;
    s.PlaceLauncher();
    const std::string folder = "LocalAppData\\Harrowmere\\Runtime\\3.13\\";
    if (c.manifest)
      s.dir().WriteFile(folder + "harrowmere-runtime.json", c.manifest);
    if (c.host)
      s.PlaceFixture(folder + "HarrowmereRuntime.exe");
    RunResult run = s.Run();
    EXPECT_EQ(run.exit_code, 2u) << c.name;
    ExpectFatal(run, kMissing);
  }
}

TEST(MissingRuntimeTest, NoLocalAppDataMeansNoSharedRuntime) {
  Scenario s;
  s.PlaceLauncher();
  s.PlaceSharedRuntime();
  s.SetEnv("LOCALAPPDATA", std::nullopt);
  EXPECT_EQ(s.Run().exit_code, 2u);
  s.SetEnv("LOCALAPPDATA", "");
  EXPECT_EQ(s.Run().exit_code, 2u);
}

TEST(MissingRuntimeTest, InterpreterThatCannotStartEndsWithCodeThree) {
  Scenario s;
  s.PlaceLauncher();
  std::string python = s.dir().WriteFile("app\\_internal\\python.exe", "this is not a program");
  RunResult run = s.Run();
  EXPECT_EQ(run.exit_code, 3u);
  ExpectFatal(run, product.display_name + " could not start Python.\n\nPython path: " + python +
                       "\n\nPlease reinstall " + product.display_name + ".");
  // The log was opened before the attempt and holds only its header line.
  EXPECT_EQ(ReadWholeFile(s.user_log()), LaunchLogHeader(product, python) + "\n");
}

TEST(MissingRuntimeTest, CouldNotStartNamesTheWindowlessInterpreter) {
  Scenario s;
  s.PlaceLauncher();
  s.PlaceFixture("app\\python.exe");
  std::string windowless = s.dir().WriteFile("app\\pythonw.exe", "broken");
  RunResult run = s.Run();
  EXPECT_EQ(run.exit_code, 3u);
  EXPECT_NE(run.err.find("Python path: " + windowless + "\n"), std::string::npos) << run.err;
}

TEST(ReleaseChannelTest, BetaSlotUsesTheBetaSlotFolder) {
  Scenario s;
  s.PlaceLauncher();
  s.PlaceSharedRuntime("3.13");
  std::string beta = s.PlaceSharedRuntime("3.13-beta");
  s.dir().WriteFile("app\\ormix-app-version.ini", "[runtime]\r\nslot=3.13-beta\r\n");
  RunResult run = s.Run();
  EXPECT_EQ(run.exit_code, 0u);
  EXPECT_EQ(s.Record().image, beta + "\\HarrowmereRuntime.exe");
  EXPECT_EQ(s.Record().env["ORMIX_APP_ROOT"], beta);
}

TEST(ReleaseChannelTest, RefusedSlotFallsBackToTheSeriesFolder) {
  Scenario s;
  s.PlaceLauncher();
  std::string series = s.PlaceSharedRuntime("3.13");
  s.PlaceSharedRuntime("3.13-Dev");
  s.dir().WriteFile("app\\ormix-app-version.ini", "[runtime]\nslot=3.13-Dev\n");
  EXPECT_EQ(s.Run().exit_code, 0u);
  EXPECT_EQ(s.Record().image, series + "\\HarrowmereRuntime.exe");
}

TEST(ReleaseChannelTest, DevSlotWithoutRuntimeEndsWithoutAnOffer) {
  for (const char* place : {"app\\OrmixConverter.exe", "Temp\\Temp1_Tools.zip\\Tools\\Ormix.exe"}) {
    Scenario s;
    s.PlaceLauncher(place);
    s.dir().WriteFile(s.LauncherDir().substr(s.dir().path().size() + 1) + "\\ormix-app-version.ini",
                      "[runtime]\nslot=3.13-dev\n");
    RunResult run = s.Run();
    EXPECT_EQ(run.exit_code, 2u) << place;
    EXPECT_FALSE(AskedToDownload(run)) << place;
    ASSERT_EQ(run.boxes.size(), 1u) << place;
    ExpectFatal(run, kDev);
  }
}

TEST(ArchiveCheckTest, LauncherInsideAnArchiveFolderGetsTheArchiveAdvice) {
  for (const char* place :
       {"Temp\\Temp1_Tools.zip\\Tools\\Converter Portable.exe",
        "Temp\\7zO8A1B2C3D\\OrmixConverter.exe", "Temp\\Rar$EXa1234.5678\\ormix.exe"}) {
    Scenario s;
    std::string launcher = s.PlaceLauncher(place);
    RunResult run = s.Run();
    EXPECT_EQ(run.exit_code, 2u) << place;
    ExpectFatal(run, ArchiveMessage(launcher.substr(launcher.find_last_of('\\') + 1)));
  }
}

TEST(ArchiveCheckTest, LauncherNamedLikeAnArchiveFolderIsNotInOne) {
  Scenario s;
  s.PlaceLauncher("Downloads\\Temp1_x.zip");
  RunResult run = s.Run();
  EXPECT_EQ(run.exit_code, 2u);
  ExpectFatal(run, kMissing);
}

}  // namespace
}  // namespace ormix::test
