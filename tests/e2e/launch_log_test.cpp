// The launch log as the application sees it, and the report a user gets when the run fails.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "support/identity.h"
#include "support/scenario.h"

namespace ormix::test {
namespace {

const Identity& product = ExpectedIdentity();

TEST(LaunchLogTest, OutputAndErrorInterleaveAfterTheHeader) {
  Scenario s;
  s.PlaceLauncher();
  std::string python = s.PlaceFixture("app\\python.exe");
  s.SetScript("out:one%0A|err:two%0D%0A|out:three|err:%00binary%FF|out:%0A");
  RunResult run = s.Run();
  EXPECT_EQ(run.exit_code, 0u);
  EXPECT_TRUE(run.boxes.empty());
  EXPECT_EQ(ReadWholeFile(s.user_log()), LaunchLogHeader(product, python) + "\n" +
                                             std::string("one\ntwo\r\nthree\0binary\xFF\n", 23));
}

TEST(LaunchLogTest, EachLaunchStartsAFreshLog) {
  Scenario s;
  s.PlaceLauncher();
  std::string python = s.PlaceFixture("app\\python.exe");
  s.SetScript("out:a long first run%0A");
  s.Run();
  s.SetScript("");
  s.Run();
  EXPECT_EQ(ReadWholeFile(s.user_log()), LaunchLogHeader(product, python) + "\n");
}

TEST(LaunchLogTest, PortableInstallLogsInItsDataFolder) {
  Scenario s;
  s.PlaceLauncher();
  std::string python = s.PlaceFixture("app\\_internal\\python.exe");
  s.dir().MakeDir("app\\data");
  s.SetScript("out:portable");
  s.Run();
  EXPECT_EQ(ReadWholeFile(s.dir().Path("app\\data\\logs\\launch.log")),
            LaunchLogHeader(product, python) + "\nportable");
  EXPECT_FALSE(FileExists(s.user_log()));
}

TEST(LaunchLogTest, TempIsTheLastPlaceForALog) {
  Scenario s;
  s.PlaceLauncher();
  std::string python = s.PlaceFixture("app\\python.exe");
  s.SetEnv("APPDATA", "");
  s.SetScript("out:x");
  s.Run();
  EXPECT_EQ(ReadWholeFile(s.temp() + "\\" + product.product_key + "-launch.log"),
            LaunchLogHeader(product, python) + "\nx");
}

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
      product.display_name +
      " did not start.\n\nPython reported: ModuleNotFoundError: No module named "
      "'ormix' Part of the program is missing: this copy is incomplete, or its files are mixed "
      "with another version's. Extract the whole zip again into an empty folder.\n\nWhat "
      "happened was written to:\n" +
      s.user_log() + "\n\nIf it keeps happening, send that file to " + product.support_email + ".";
  EXPECT_EQ(run.err, FatalLine(product, text));
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(Narrow(run.boxes[0].caption), product.display_name);
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
  EXPECT_NE(run.err.find("What happened was written to:\n" + s.user_log()), std::string::npos);
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
  EXPECT_EQ(run.err, FatalLine(product, product.display_name +
                                            " did not start.\n\nIt exited with code 3221225473 "
                                            "and left no message.\n\nNo launch log could be "
                                            "written. If it keeps happening, write to " +
                                            product.support_email + "."));
}

TEST(FailureReportTest, SecondLaunchWhileTheFirstHoldsTheLogRunsWithoutOne) {
  Scenario s;
  s.PlaceLauncher();
  std::string python = s.PlaceFixture("app\\python.exe");
  s.SetScript("out:first|sleep:4000");
  RunResult first;
  std::thread holder([&] { first = s.Run(); });
  std::string log = s.user_log();
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
  EXPECT_EQ(ReadWholeFile(log), LaunchLogHeader(product, python) + "\nfirst");
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
