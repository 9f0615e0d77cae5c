// The real launcher in every user's folders. Each folder name (support/folder_names.h) stands in
// turn as the launcher's own folder, as the user's profile and as TEMP, each row in a scenario of
// its own: the application must get its path, arguments and variables whole, the log must be
// written where it belongs, and a failure must be told in the same characters on standard error
// and in the box, whether the application wrote its last line in UTF-8 or in the ANSI code page.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/folder_names.h"
#include "support/scenario.h"

namespace ormix::test {
namespace {

std::string Header(const std::string& interpreter) {
  return "Ormix Converter 1.0.0 launcher: " + interpreter + " -m ormix.apps.converter";
}

std::string Report(const std::string& detail, const std::string& log) {
  return "Ormix Converter did not start.\n\n" + detail + "\n\nWhat happened was written to:\n" +
         log + "\n\nIf it keeps happening, send that file to support@ormix.example.";
}

// The report on standard error (UTF-8) and in the box: the very same characters.
void ExpectReport(const RunResult& run, const std::string& text) {
  EXPECT_EQ(run.err, "Ormix Converter: " + text + "\n");
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(run.boxes[0].caption, L"Ormix Converter");
  EXPECT_EQ(run.boxes[0].text, Widen(text));
}

// What a program that is not told otherwise writes: bytes in the system's ANSI code page (here
// "Café €.orx" in code page 1252), and what they read as.
const char kAnsiName[] = "Caf\xE9 \x80.orx";
const char kAnsiNameScript[] = "Caf%E9 %80.orx";
const char kPermissionHint[] =
    " It is not allowed to write where it is. Move the folder somewhere you own, such as "
    "Documents, or run it from a different drive.";

class FolderNameTest : public testing::TestWithParam<FolderName> {};

// A portable copy in the folder: embedded runtime, "data" folder, its log there.
TEST_P(FolderNameTest, AsTheLaunchersFolder) {
  const std::string folder = GetParam().text;
  Scenario s;
  s.PlaceLauncher(folder + "\\OrmixConverter.exe");
  const std::string python = s.PlaceFixture(folder + "\\_internal\\python.exe");
  s.dir().MakeDir(folder + "\\data");
  // The application's last line in UTF-8, naming the folder too.
  s.SetScript("err:Traceback (most recent call last):%0D%0AValueError: no pages in " + folder +
              "%0D%0A|exit:1");
  RunResult run = s.Run({Widen(folder), L"--out", Widen(folder + "\\out.orx")});
  ASSERT_FALSE(run.timed_out);
  EXPECT_EQ(run.exit_code, 1u);

  FixtureRecord record = s.Record();
  ASSERT_TRUE(record.present) << "the application did not run: " << run.err;
  EXPECT_EQ(record.image, python);
  EXPECT_EQ(record.args, (std::vector<std::string>{python, "-m", "ormix.apps.converter", folder,
                                                   "--out", folder + "\\out.orx"}));
  EXPECT_EQ(record.env["ORMIX_LAUNCHER_DIR"], s.LauncherDir());
  EXPECT_EQ(record.env["ORMIX_APP_ROOT"], s.LauncherDir());
  EXPECT_EQ(record.env["ORMIX_PORTABLE"], "1");

  const std::string log = s.LauncherDir() + "\\data\\logs\\launch.log";
  EXPECT_EQ(ReadWholeFile(log), Header(python) +
                                    "\nTraceback (most recent call last):\r\nValueError: no "
                                    "pages in " +
                                    folder + "\r\n");
  ExpectReport(run, Report("Python reported: ValueError: no pages in " + folder, log));
}

// A user profile in the scenario: LOCALAPPDATA with the shared runtime, APPDATA for the log.
struct Profile {
  std::string roaming;  // APPDATA
  std::string slot;     // the shared runtime's folder
  std::string host;     // HarrowmereRuntime.exe in it
};

Profile PlaceProfile(Scenario& s, const std::string& user) {
  const std::string base = "Users\\" + user + "\\AppData";
  const std::string slot = base + "\\Local\\Harrowmere\\Runtime\\3.13";
  s.dir().WriteFile(slot + "\\harrowmere-runtime.json", "{\"python\": \"3.13.1\"}\n");
  Profile profile{s.dir().MakeDir(base + "\\Roaming"), s.dir().Path(slot),
                  s.PlaceFixture(slot + "\\HarrowmereRuntime.exe")};
  s.SetEnv("LOCALAPPDATA", s.dir().Path(base + "\\Local"));
  s.SetEnv("APPDATA", profile.roaming);
  // The application's last line in the ANSI code page.
  s.SetScript(std::string("err:PermissionError: [Errno 13] Permission denied: '") +
              kAnsiNameScript + "'%0D%0A|exit:2");
  return profile;
}

// The run with PlaceProfile's layout: found, started, logged and reported in the right words.
void ExpectProfileRun(Scenario& s, const Profile& profile, const RunResult& run) {
  ASSERT_FALSE(run.timed_out);
  EXPECT_EQ(run.exit_code, 2u) << "2 is the application's own code here, not a missing runtime";
  FixtureRecord record = s.Record();
  ASSERT_TRUE(record.present) << "the shared runtime was not found: " << run.err;
  EXPECT_EQ(record.image, profile.host);
  EXPECT_EQ(record.args,
            (std::vector<std::string>{profile.host, "-m", "ormix.apps.converter", "input.orx"}));
  EXPECT_EQ(record.env["ORMIX_APP_ROOT"], profile.slot);
  EXPECT_EQ(record.env["ORMIX_PORTABLE"], std::nullopt);

  const std::string log = profile.roaming + "\\Ormix\\logs\\OrmixConverter-launch.log";
  EXPECT_EQ(ReadWholeFile(log), Header(profile.host) +
                                    "\nPermissionError: [Errno 13] Permission denied: '" +
                                    kAnsiName + "'\r\n");
  ExpectReport(run, Report("Python reported: PermissionError: [Errno 13] Permission denied: '" +
                               Narrow(WidenAnsi(kAnsiName)) + "'" + kPermissionHint,
                           log));
}

// The user's profile: the shared runtime under LOCALAPPDATA, the log under APPDATA.
TEST_P(FolderNameTest, AsTheUserProfile) {
  Scenario s;
  s.PlaceLauncher();
  Profile profile = PlaceProfile(s, GetParam().text);
  RunResult run = s.Run({L"input.orx"});
  ExpectProfileRun(s, profile, run);
}

// TEMP, the log's last place when APPDATA is not set.
TEST_P(FolderNameTest, AsTempForTheLog) {
  Scenario s;
  s.PlaceLauncher();
  const std::string python = s.PlaceFixture("app\\python.exe");
  const std::string temp = s.dir().MakeDir(std::string(GetParam().text) + "\\Temp");
  s.SetEnv("APPDATA", std::nullopt);
  s.SetEnv("TEMP", temp);
  s.SetScript("out:converted%0A|err:OSError: disk full%0A|exit:5");
  RunResult run = s.Run();
  ASSERT_FALSE(run.timed_out);
  EXPECT_EQ(run.exit_code, 5u);
  const std::string log = temp + "\\OrmixConverter-launch.log";
  EXPECT_EQ(ReadWholeFile(log), Header(python) + "\nconverted\nOSError: disk full\n");
  ExpectReport(run, Report("Python reported: OSError: disk full", log));
}

INSTANTIATE_TEST_SUITE_P(Table, FolderNameTest, testing::ValuesIn(kFolderNames), CaseName());

// The same launcher in a process whose code page is UTF-8 (its manifest asks for it). The
// application, told nothing, still writes the system's ANSI code page, and the report must still
// read it so: only here does the process's code page differ from the system's. Values from the
// environment must come whole as well; Wine 8's narrow call would cut them in such a process.
TEST(Utf8CodePageTest, ProfileOutsideTheCodePageAndALastLineInIt) {
  Scenario s;
  const std::string launcher = s.PlaceLauncher();
  ASSERT_TRUE(CopyFileW(Widen(BinDir() + "\\OrmixConverter-utf8.exe").c_str(),
                        Widen(launcher).c_str(), FALSE));
  Profile profile = PlaceProfile(s, "测试 Ωμέγα");
  RunResult run = s.Run({L"input.orx"});
  ExpectProfileRun(s, profile, run);
}

// ---- text without an exact form ----

// UTF-8 cannot hold a UTF-16 surrogate without its partner, so such a value could only name
// another folder: it counts as unset, and the log goes to the next place. (A launcher path that
// holds one would end with code 4, but Wine 8 refuses to create such a name at all.)
TEST(UnconvertibleTextTest, EnvironmentValueWithAnUnpairedSurrogateCountsAsUnset) {
  Scenario s;
  s.PlaceLauncher();
  s.PlaceFixture("app\\python.exe");
  RunOptions options;
  options.program = Widen(s.launcher());
  options.environment = {{L"APPDATA", Widen(s.app_data()) + L"\\a\xD800z"},
                         {L"TEMP", Widen(s.temp())},
                         {L"ORMIX_FIXTURE_RECORD", Widen(s.record_path())},
                         {L"ORMIX_FIXTURE_SCRIPT", L"out:x|exit:5"}};
  RunResult run = RunProgram(options);
  ASSERT_FALSE(run.timed_out);
  EXPECT_EQ(run.exit_code, 5u);
  EXPECT_TRUE(s.Record().present);
  const std::string log = s.temp() + "\\OrmixConverter-launch.log";
  EXPECT_NE(ReadWholeFile(log).find("\nx"), std::string::npos);
  EXPECT_NE(run.err.find("What happened was written to:\n" + log + "\n"), std::string::npos)
      << run.err;
}

}  // namespace
}  // namespace ormix::test
