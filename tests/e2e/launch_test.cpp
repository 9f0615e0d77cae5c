// The real launcher run from scenario folders: what reaches the application, and what comes back.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/identity.h"
#include "support/scenario.h"

namespace ormix::test {
namespace {

const Identity& product = ExpectedIdentity();
const std::vector<std::string> kModuleArgs = {"-m", product.app_module};

std::vector<std::string> Expected(const std::string& interpreter,
                                  const std::vector<std::wstring>& user) {
  std::vector<std::string> args = {interpreter};
  args.insert(args.end(), kModuleArgs.begin(), kModuleArgs.end());
  for (const std::wstring& arg : user) args.push_back(Narrow(arg));
  return args;
}

TEST(LaunchTest, ArgumentsReachTheApplicationUnchanged) {
  Scenario s;
  s.PlaceLauncher();
  std::string python = s.PlaceFixture("app\\_internal\\python.exe");
  const std::vector<std::vector<std::wstring>> cases = {
      {},
      {L""},
      {L"", L"", L"x"},
      {L"plain", L"with space", L"tab\there", L"line\nfeed", L"vertical\vtab"},
      {L"say \"hi\"", L"\"", L"\"\"", L"a\\\"b"},
      {L"C:\\dir\\", L"C:\\dir with space\\", L"\\\\server\\share\\", L"a\\\\\\b", L"\\"},
      {L"trailing\\\\\\", L"\\\"", L"quote\\\\\"end"},
      {L"cr\ronly", L"form\ffeed", L"--flag=value", L"-m", L"ormix.apps.converter"},
      {L"Gr\u00fc\u00dfe", L"\u65e5\u672c\u8a9e \u30c6\u30ad\u30b9\u30c8", L"\U0001F600 emoji",
       L"\u00e9\\\""},
  };
  for (const auto& user : cases) {
    RunResult run = s.Run(user);
    ASSERT_FALSE(run.timed_out);
    EXPECT_EQ(run.exit_code, 0u);
    FixtureRecord record = s.Record();
    ASSERT_TRUE(record.present) << "the application did not run";
    EXPECT_EQ(record.args, Expected(python, user)) << "command line: " << record.command_line;
  }
}

// Whatever a shell or another program wrote on the launcher's command line, the application
// receives what CommandLineToArgvW finds after the program name: the launcher reads its own line
// by the same rules, those of entry 0 and of an empty line included.
TEST(LaunchTest, RawCommandLinesReachTheApplicationAsWindowsSplitsThem) {
  Scenario s;
  std::wstring launcher = WidenAnsi(s.PlaceLauncher());
  std::string python = s.PlaceFixture("app\\_internal\\python.exe");
  const std::wstring lines[] = {
      L"",
      L"OrmixConverter",
      L" \tleading blanks",
      L"\"" + launcher + L"\"glued \"quoted arg\"",
      L"\"" + launcher + L" unterminated",
      L"C:\\\"odd program\" a\\\\\\\"b \"c\"\"d\" \\\\\"e f\"",
      L"x\ty\n \"\" \"\"\"\" z\\",
  };
  for (const std::wstring& line : lines) {
    SCOPED_TRACE(testing::PrintToString(line));
    RunResult run = s.RunCommandLine(line);
    EXPECT_EQ(run.exit_code, 0u);
    FixtureRecord record = s.Record();
    ASSERT_TRUE(record.present) << "the application did not run";
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(line.c_str(), &argc);
    ASSERT_NE(argv, nullptr);
    std::vector<std::wstring> user(argv + 1, argv + argc);
    LocalFree(argv);
    EXPECT_EQ(record.args, Expected(python, user));
  }
}

// Most launches show no window and start no installer, so the libraries for those are not loaded:
// loading them at every start was most of what a launch cost.
TEST(LaunchTest, PlainLaunchLoadsNoWindowOrShellLibrary) {
  Scenario s;
  s.PlaceLauncher();
  s.PlaceFixture("app\\_internal\\python.exe");
  std::string modules = s.dir().Path("modules.txt");
  s.SetScript("parent-modules:" + modules);
  RunResult run = s.Run({L"x"});
  EXPECT_EQ(run.exit_code, 0u);
  std::string list = ReadWholeFile(modules);
  // Read at all: the launcher's own imports are there.
  ASSERT_NE(list.find("kernel32.dll\n"), std::string::npos) << list;
  for (const char* name :
       {"user32.dll", "shell32.dll", "shlwapi.dll", "comctl32.dll", "urlmon.dll"}) {
    EXPECT_EQ(list.find(std::string(name) + "\n"), std::string::npos) << name << " in\n" << list;
  }
}

TEST(LaunchTest, InterpreterPathWithSpaceIsQuotedOnTheCommandLine) {
  Scenario s;
  s.PlaceLauncher("My Apps\\Ormix\\OrmixConverter.exe");
  std::string python = s.PlaceFixture("My Apps\\Ormix\\python.exe");
  RunResult run = s.Run({L"one"});
  EXPECT_EQ(run.exit_code, 0u);
  FixtureRecord record = s.Record();
  EXPECT_EQ(record.command_line, "\"" + python + "\" -m " + product.app_module + " one");
  EXPECT_EQ(record.args, Expected(python, {L"one"}));
}

TEST(LaunchTest, NoUserArgumentsGivesJustTheModule) {
  Scenario s;
  s.PlaceLauncher();
  std::string python = s.PlaceFixture("app\\python.exe");
  s.Run();
  EXPECT_EQ(s.Record().command_line, python + " -m " + product.app_module);
}

TEST(LaunchTest, PortableInstallGetsItsEnvironment) {
  Scenario s;
  s.PlaceLauncher();
  s.PlaceFixture("app\\_internal\\python.exe");
  s.dir().MakeDir("app\\data");
  RunResult run = s.Run();
  EXPECT_EQ(run.exit_code, 0u);
  FixtureRecord record = s.Record();
  std::string folder = s.LauncherDir();
  EXPECT_EQ(record.env["ORMIX_LAUNCHER_DIR"], folder);
  EXPECT_EQ(record.env["ORMIX_APP_ROOT"], folder);
  EXPECT_EQ(record.env["ORMIX_PORTABLE"], "1");
  EXPECT_EQ(record.env["ORMIX_PRODUCT_NAME"], product.product_key);
  EXPECT_EQ(record.env["ORMIX_PRODUCT_DISPLAY"], product.display_name);
  EXPECT_EQ(record.env["ORMIX_PRODUCT_VERSION"], product.version);
}

TEST(LaunchTest, SharedRuntimeGetsItsEnvironment) {
  Scenario s;
  s.PlaceLauncher();
  s.dir().MakeDir("app\\data");  // beside the launcher, but no embedded runtime uses it
  std::string home = s.PlaceSharedRuntime();
  RunResult run = s.Run({L"file.orx"});
  EXPECT_EQ(run.exit_code, 0u);
  FixtureRecord record = s.Record();
  EXPECT_EQ(record.image, home + "\\HarrowmereRuntime.exe");
  EXPECT_EQ(record.args, Expected(home + "\\HarrowmereRuntime.exe", {L"file.orx"}));
  EXPECT_EQ(record.env["ORMIX_LAUNCHER_DIR"], s.LauncherDir());
  EXPECT_EQ(record.env["ORMIX_APP_ROOT"], home);
  EXPECT_EQ(record.env["ORMIX_PORTABLE"], std::nullopt);
  EXPECT_EQ(record.env["ORMIX_PRODUCT_NAME"], product.product_key);
}

TEST(LaunchTest, InheritedVariablesAreKeptUnlessSet) {
  Scenario s;
  s.PlaceLauncher();
  s.PlaceSharedRuntime();
  s.SetEnv("ORMIX_PORTABLE", "inherited");
  s.SetEnv("ORMIX_PRODUCT_NAME", "overwritten");
  s.Run();
  FixtureRecord record = s.Record();
  EXPECT_EQ(record.env["ORMIX_PORTABLE"], "inherited");
  EXPECT_EQ(record.env["ORMIX_PRODUCT_NAME"], product.product_key);
}

TEST(LaunchTest, DataFileIsNotAPortableDataFolder) {
  Scenario s;
  s.PlaceLauncher();
  s.PlaceFixture("app\\python.exe");
  s.dir().WriteFile("app\\data", "not a folder");
  s.Run();
  EXPECT_EQ(s.Record().env["ORMIX_PORTABLE"], std::nullopt);
}

TEST(LaunchTest, SwitchesToTheWindowlessInterpreter) {
  Scenario s;
  s.PlaceLauncher();
  s.PlaceFixture("app\\_internal\\python.exe");
  std::string windowless = s.PlaceFixture("app\\_internal\\pythonw.exe");
  s.Run({L"x"});
  FixtureRecord record = s.Record();
  EXPECT_EQ(record.image, windowless);
  EXPECT_EQ(record.args, Expected(windowless, {L"x"}));
}

TEST(LaunchTest, ApplicationRunsInAJobWithTheLogAsItsOutput) {
  Scenario s;
  s.PlaceLauncher();
  s.PlaceFixture("app\\python.exe");
  s.Run();
  FixtureRecord record = s.Record();
  EXPECT_TRUE(record.in_job);
  EXPECT_EQ(record.std_out, "disk");
  EXPECT_EQ(record.std_err, "disk");
}

TEST(LaunchTest, ApplicationStartsInTheLaunchersCurrentFolder) {
  Scenario s;
  s.PlaceLauncher();
  s.PlaceFixture("app\\python.exe");
  std::string elsewhere = s.dir().MakeDir("elsewhere");
  RunOptions options;
  options.program = Widen(s.launcher());
  options.current_dir = Widen(elsewhere);
  options.environment = {{L"ORMIX_FIXTURE_RECORD", Widen(s.record_path())}};
  RunResult run = RunProgram(options);
  EXPECT_EQ(run.exit_code, 0u);
  std::string cwd = s.Record().cwd;
  while (!cwd.empty() && cwd.back() == '\\') cwd.pop_back();
  EXPECT_EQ(cwd, elsewhere);
}

// Exit codes come back whole: a Windows-side parent sees all 32 bits.
TEST(LaunchTest, ExitCodesPassThrough) {
  Scenario s;
  s.PlaceLauncher();
  s.PlaceFixture("app\\python.exe");
  for (DWORD code : {0x0u, 0x1u, 0x2u, 0x3u, 0x4u, 0x2Au, 0x100u, 0x7FFFFFFFu, 0xC0000005u,
                     0xC0000135u, 0xFFFFFFFEu}) {
    char script[32];
    snprintf(script, sizeof script, "exit:%lx", static_cast<unsigned long>(code));
    s.SetScript(script);
    RunResult run = s.Run();
    ASSERT_FALSE(run.timed_out);
    EXPECT_EQ(run.exit_code, code) << script;
    // Success is silent; every failure is explained once.
    EXPECT_EQ(run.boxes.size(), code == 0 ? 0u : 1u) << script;
  }
}

TEST(LaunchTest, ACrashIsReportedAndItsCodeReturned) {
  Scenario s;
  s.PlaceLauncher();
  s.PlaceFixture("app\\python.exe");
  s.SetScript("crash");
  RunResult run = s.Run();
  EXPECT_EQ(run.exit_code, 0xC0000005u);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_NE(run.boxes[0].text.find(L"memory fault"), std::wstring::npos);
}

DWORD ReadProcessId(const std::string& path) {
  for (int i = 0; i < 200 && !FileExists(path); ++i) Sleep(25);
  std::string text = ReadWholeFile(path);
  return text.empty() ? 0 : static_cast<DWORD>(std::stoul(text));
}

// Whether the process is still running after waiting up to wait_ms for it to end.
bool StillRunning(DWORD id, DWORD wait_ms) {
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id);
  if (process == nullptr)
    return false;
  bool running = WaitForSingleObject(process, wait_ms) == WAIT_TIMEOUT;
  if (running)
    TerminateProcess(process, 1);
  CloseHandle(process);
  return running;
}

TEST(LaunchTest, GrandchildLeftRunningEndsWithTheApplication) {
  Scenario s;
  s.PlaceLauncher();
  s.PlaceFixture("app\\python.exe");
  std::string pid_file = s.dir().Path("grandchild.pid");
  s.SetScript("spawn:" + pid_file + "|sleep:500");
  RunResult run = s.Run();
  EXPECT_EQ(run.exit_code, 0u);
  DWORD grandchild = ReadProcessId(pid_file);
  ASSERT_NE(grandchild, 0u) << "the grandchild did not start";
  EXPECT_FALSE(StillRunning(grandchild, 5000));
}

TEST(LaunchTest, GrandchildThatBrokeAwayKeepsRunning) {
  Scenario s;
  s.PlaceLauncher();
  s.PlaceFixture("app\\python.exe");
  std::string pid_file = s.dir().Path("grandchild.pid");
  s.SetScript("spawn-breakaway:" + pid_file + "|sleep:500");
  RunResult run = s.Run();
  EXPECT_EQ(run.exit_code, 0u);
  DWORD grandchild = ReadProcessId(pid_file);
  ASSERT_NE(grandchild, 0u) << "the grandchild did not start";
  EXPECT_TRUE(StillRunning(grandchild, 500));
}

}  // namespace
}  // namespace ormix::test
