// The launch log as the application sees it, and the report a user gets when the run fails.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "support/scenario.h"

namespace ormix::test {
namespace {

std::string Header(const std::string& interpreter) {
  return "Ormix Converter 1.0.0 launcher: " + interpreter + " -m ormix.apps.converter";
}

std::string UserLog(Scenario& s) {
  return s.app_data() + "\\Ormix\\logs\\OrmixConverter-launch.log";
}

TEST(LaunchLogTest, OutputAndErrorInterleaveAfterTheHeader) {
  Scenario s;
  s.PlaceLauncher();
  std::string python = s.PlaceFixture("app\\python.exe");
  s.SetScript("out:one%0A|err:two%0D%0A|out:three|err:%00binary%FF|out:%0A");
  RunResult run = s.Run();
  EXPECT_EQ(run.exit_code, 0u);
  EXPECT_TRUE(run.boxes.empty());
  EXPECT_EQ(ReadWholeFile(UserLog(s)),
            Header(python) + "\n" + std::string("one\ntwo\r\nthree\0binary\xFF\n", 23));
}

TEST(LaunchLogTest, EachLaunchStartsAFreshLog) {
  Scenario s;
  s.PlaceLauncher();
  std::string python = s.PlaceFixture("app\\python.exe");
  s.SetScript("out:a long first run%0A");
  s.Run();
  s.SetScript("");
  s.Run();
  EXPECT_EQ(ReadWholeFile(UserLog(s)), Header(python) + "\n");
}

TEST(LaunchLogTest, PortableInstallLogsInItsDataFolder) {
  Scenario s;
  s.PlaceLauncher();
  std::string python = s.PlaceFixture("app\\_internal\\python.exe");
  s.dir().MakeDir("app\\data");
  s.SetScript("out:portable");
  s.Run();
  EXPECT_EQ(ReadWholeFile(s.dir().Path("app\\data\\logs\\launch.log")),
            Header(python) + "\nportable");
  EXPECT_FALSE(FileExists(UserLog(s)));
}

TEST(LaunchLogTest, TempIsTheLastPlaceForALog) {
  Scenario s;
  s.PlaceLauncher();
  std::string python = s.PlaceFixture("app\\python.exe");
  s.SetEnv("APPDATA", "");
  s.SetScript("out:x");
  s.Run();
  EXPECT_EQ(ReadWholeFile(s.temp() + "\\OrmixConverter-launch.log"), Header(python) + "\nx");
}

const char kSupport[] = "support@ormix.example";

TEST(FailureReportTest, FailedStartIsExplainedFromTheLogsLastLine) {
  Scenario s;
  s.PlaceLauncher();
  s.PlaceFixture("app\\python.exe");
  s.SetScript(
      "err:Traceback (most recent call last):%0D%0A  File \"x.py\", line 1%0D%0A"
      "ModuleNotFoundError: No module named 'ormix'%0D%0A%0D%0A|exit:1");
  RunResult run = s.Run();
  EXPECT_EQ(run.exit_code, 1u);
  std::string text =
      "Ormix Converter did not start.\n\nPython reported: ModuleNotFoundError: No module named "
      "'ormix' Part of the program is missing: this copy is incomplete, or its files are mixed "
      "with another version's. Extract the whole zip again into an empty folder.\n\nWhat "
      "happened was written to:\n" +
      UserLog(s) + "\n\nIf it keeps happening, send that file to " + kSupport + ".";
  EXPECT_EQ(run.err, "Ormix Converter: " + text + "\n");
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(run.boxes[0].caption, L"Ormix Converter");
  EXPECT_EQ(Narrow(run.boxes[0].text), text);
}

TEST(FailureReportTest, KnownExitCodeWinsOverTheLog) {
  Scenario s;
  s.PlaceLauncher();
  s.PlaceFixture("app\\python.exe");
  s.SetScript("err:ImportError: DLL load failed%0A|exit:C0000135");
  RunResult run = s.Run();
  EXPECT_EQ(run.exit_code, 0xC0000135u);
  EXPECT_NE(run.err.find("Windows reported that a DLL could not be found"), std::string::npos);
  EXPECT_EQ(run.err.find("Python reported"), std::string::npos);
  EXPECT_NE(run.err.find("What happened was written to:\n" + UserLog(s)), std::string::npos);
}

TEST(FailureReportTest, SilentFailureWithoutAnyLogPlace) {
  Scenario s;
  s.PlaceLauncher();
  s.PlaceFixture("app\\python.exe");
  s.SetEnv("APPDATA", std::nullopt);
  s.SetEnv("TEMP", std::nullopt);
  s.SetScript("out:lost|exit:C0000001");
  RunResult run = s.Run();
  EXPECT_EQ(run.exit_code, 0xC0000001u);
  ASSERT_TRUE(s.Record().present) << "the application must run without a log";
  EXPECT_EQ(run.err,
            std::string("Ormix Converter: Ormix Converter did not start.\n\nIt exited with "
                        "code 3221225473 and left no message.\n\nNo launch log could be "
                        "written. If it keeps happening, write to ") +
                kSupport + ".\n");
}

TEST(FailureReportTest, SecondLaunchWhileTheFirstHoldsTheLogRunsWithoutOne) {
  Scenario s;
  s.PlaceLauncher();
  std::string python = s.PlaceFixture("app\\python.exe");
  s.SetScript("out:first|sleep:4000");
  RunResult first;
  std::thread holder([&] { first = s.Run(); });
  std::string log = UserLog(s);
  for (int i = 0; i < 200 && ReadWholeFile(log).find("first") == std::string::npos; ++i) Sleep(25);
  ASSERT_NE(ReadWholeFile(log).find("first"), std::string::npos);

  RunOptions second;
  second.program = Widen(s.launcher());
  second.environment = {{L"APPDATA", Widen(s.app_data())},
                        {L"ORMIX_FIXTURE_SCRIPT", L"out:second|exit:7"},
                        {L"ORMIX_FIXTURE_RECORD", std::nullopt}};
  RunResult run = RunProgram(second);
  holder.join();
  EXPECT_EQ(run.exit_code, 7u);
  EXPECT_NE(run.err.find("No launch log could be written."), std::string::npos) << run.err;
  EXPECT_EQ(first.exit_code, 0u);
  EXPECT_EQ(ReadWholeFile(log), Header(python) + "\nfirst");
}

TEST(FailureReportTest, PythonErrorGetsItsHint) {
  Scenario s;
  s.PlaceLauncher();
  s.PlaceFixture("app\\python.exe");
  s.SetScript("err:PermissionError: [Errno 13] Permission denied: 'out.orx'%0A|exit:2");
  RunResult run = s.Run();
  EXPECT_EQ(run.exit_code, 2u);
  EXPECT_NE(run.err.find("Python reported: PermissionError: [Errno 13] Permission denied: "
                         "'out.orx' It is not allowed to write where it is."),
            std::string::npos)
      << run.err;
}

}  // namespace
}  // namespace ormix::test
