// The real launcher against what other programs left for it to read: broken manifests and app
// version files, logs that the application flooded, paths at the length limits, arguments that
// are not valid UTF-16, and an environment that points at the wrong things. Whatever it finds, it
// must end promptly, with its usual answer.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "support/identity.h"
#include "support/launcher_under_test.h"
#include "support/named_cases.h"
#include "support/scenario.h"

namespace ormix::test {
namespace {

using namespace std::string_literals;

const Identity& product = ExpectedIdentity();

std::string Bytes(int first, int last) {
  std::string text;
  for (int c = first; c <= last; ++c) text.push_back(static_cast<char>(c));
  return text;
}

// The script form of any bytes: every one as %XX.
std::string Escaped(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    out.push_back('%');
    out.push_back(digits[c >> 4]);
    out.push_back(digits[c & 15]);
  }
  return out;
}

struct Case {
  const char* name;
  std::function<void(Scenario&)> arrange;
  const char* expected;  // what the launcher does, see each table
};

using test::PrintTo;

// ---- the shared runtime's manifest, and the folder it is looked for in ----

// "runs": the shared runtime is used; "missing": it is not, and the launch ends as without one.
class SharedRuntimeInputTest : public testing::TestWithParam<Case> {};

TEST_P(SharedRuntimeInputTest, EndsPromptlyWithItsUsualAnswer) {
  Scenario s;
  s.PlaceLauncher();
  s.PlaceSharedRuntime();
  GetParam().arrange(s);
  RunResult run = s.Run();
  ASSERT_FALSE(run.timed_out);
  if (std::string(GetParam().expected) == "runs") {
    EXPECT_EQ(run.exit_code, 0u);
    EXPECT_TRUE(s.Record().present);
  } else {
    EXPECT_EQ(run.exit_code, 2u);
    EXPECT_EQ(run.err, FatalLine(product, MissingRuntimeMessage(product)));
    EXPECT_FALSE(s.Record().present);
  }
}

const std::string kManifest = "LocalAppData\\Harrowmere\\Runtime\\3.13\\harrowmere-runtime.json";

std::string Garbage(std::size_t size) {
  std::string bytes;
  for (std::size_t i = 0; bytes.size() < size; ++i)
    bytes.push_back(static_cast<char>((i * 7919 + i / 256) & 0xFF));
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Table, SharedRuntimeInputTest,
    testing::Values(
        Case{"ManifestOfBinaryGarbage",
             [](Scenario& s) { s.dir().WriteFile(kManifest, Garbage(64 * 1024)); }, "missing"},
        Case{"ManifestOfTenMegabytesWithoutNewline",
             [](Scenario& s) { s.dir().WriteFile(kManifest, std::string(10 << 20, '{')); },
             "missing"},
        // Only the head is read: what follows it, however large, does not matter.
        Case{"ManifestWithTenMegabytesAfterAValidHead",
             [](Scenario& s) {
               s.dir().WriteFile(kManifest, R"({"python": "3.13.1", "notes": ")" +
                                                std::string(10 << 20, 'x') + "\"}");
             },
             "runs"},
        Case{"ManifestIsAFolder",
             [](Scenario& s) {
               DeleteFileA(s.dir().Path(kManifest).c_str());
               s.dir().MakeDir(kManifest);
             },
             "missing"},
        Case{"LocalAppDataIsAFile",
             [](Scenario& s) {
               s.SetEnv("LOCALAPPDATA", s.dir().WriteFile("local-app-data-file", "not a folder"));
             },
             "missing"}),
    CaseName());

// ---- the app version file ----

// The expected value is the slot folder whose runtime ran: the slot that was read, or the series
// folder "3.13" when none was.
class AppVersionFileInputTest : public testing::TestWithParam<Case> {};

TEST_P(AppVersionFileInputTest, ReadsASlotOrNone) {
  Scenario s;
  s.PlaceLauncher();
  s.PlaceSharedRuntime("3.13");
  s.PlaceSharedRuntime("3.13-beta");
  GetParam().arrange(s);
  RunResult run = s.Run();
  ASSERT_FALSE(run.timed_out);
  EXPECT_EQ(run.exit_code, 0u);
  EXPECT_EQ(s.Record().env["ORMIX_APP_ROOT"],
            s.local_app_data() + "\\Harrowmere\\Runtime\\" + GetParam().expected);
}

const std::string kAppVersionFile = "app\\ormix-app-version.ini";

INSTANTIATE_TEST_SUITE_P(
    Table, AppVersionFileInputTest,
    testing::Values(
        Case{"ZeroBytesBeforeTheSection",
             [](Scenario& s) {
               s.dir().WriteFile(
                   kAppVersionFile,
                   "\0\0\xFF\xFE garbage\0slot=3.13-dev\n[runtime]\nslot=3.13-beta\n"s);
             },
             "3.13-beta"},
        // As in the manifest and the log, a zero byte ends the text of its line.
        Case{"ZeroByteEndsTheValue",
             [](Scenario& s) {
               s.dir().WriteFile(kAppVersionFile, "[runtime]\nslot=3.13-beta\0-dev\n"s);
             },
             "3.13-beta"},
        Case{"OnlyZeroBytes",
             [](Scenario& s) { s.dir().WriteFile(kAppVersionFile, std::string(64 * 1024, '\0')); },
             "3.13"},
        Case{"HundredKilobyteLineBeforeTheKey",
             [](Scenario& s) {
               s.dir().WriteFile(
                   kAppVersionFile,
                   "[runtime]\nnote=" + std::string(100 * 1024, 'n') + "\nslot=3.13-beta\n");
             },
             "3.13-beta"},
        // The first key line decides: a value that long is refused, not cut to fit.
        Case{"HundredKilobyteKeyLine",
             [](Scenario& s) {
               s.dir().WriteFile(kAppVersionFile, "[runtime]\nslot=3.13-beta" +
                                                      std::string(100 * 1024, 'x') +
                                                      "\nslot=3.13-beta\n");
             },
             "3.13"},
        Case{"FileIsAFolder", [](Scenario& s) { s.dir().MakeDir(kAppVersionFile); }, "3.13"}),
    CaseName());

// ---- the launch log that the application filled ----

// The run's report, and how long after the application's end the runner saw it.
struct Report {
  RunResult run;
  long long delay_ms = -1;
};

Report RunFailingApplication(Scenario& s, const std::string& script) {
  // The first box a test program waits for can take ten seconds under Wine, while its desktop
  // starts. One failed run first, so that only the launcher is timed.
  s.SetScript("exit:1");
  s.Run();
  std::string tick_file = s.dir().Path("ended.tick");
  s.SetScript(script + "|tick:" + tick_file + "|exit:1");
  Report report{s.Run()};
  std::string tick = ReadWholeFile(tick_file);
  if (!report.run.boxes.empty() && !tick.empty()) {
    report.delay_ms = static_cast<long long>(report.run.boxes.back().seen_at) - std::stoll(tick);
  }
  return report;
}

// From the application's end to the box on the screen takes about 100 ms here: the launcher
// closes its handles, reads the log's tail and shows the box, and the runner looks every 20 ms.
// The bound leaves room for a loaded machine. It catches a report that waits on the log or walks
// it line by line; a whole read of a 200 MB log that the system has cached can be faster, so that
// the report reads the last 8192 bytes and no more is shown by what it reports, below.
constexpr long long kPromptMs = 2000;

TEST(FloodedLogTest, ReportAfterTwoHundredMegabytesAppearsAtOnce) {
  Scenario s;
  s.PlaceLauncher();
  s.PlaceFixture("app\\python.exe");
  constexpr unsigned long long kSize = 200ull << 20;
  Report report = RunFailingApplication(
      s,
      "out:ValueError: an early line%0A|fill:" + std::to_string(kSize) +
          ":INFO page converted, nothing to see%0D%0A|err:%0D%0AValueError: the last words%0D%0A");
  ASSERT_FALSE(report.run.timed_out);
  EXPECT_EQ(report.run.exit_code, 1u);
  WIN32_FILE_ATTRIBUTE_DATA log = {};
  ASSERT_TRUE(GetFileAttributesExA(s.user_log().c_str(), GetFileExInfoStandard, &log));
  EXPECT_GT((static_cast<unsigned long long>(log.nFileSizeHigh) << 32) | log.nFileSizeLow, kSize);
  ASSERT_EQ(report.run.boxes.size(), 1u);
  EXPECT_NE(report.run.err.find("\n\nPython reported: ValueError: the last words\n\n"),
            std::string::npos)
      << report.run.err.substr(0, 400);
  EXPECT_GE(report.delay_ms, 0);
  EXPECT_LT(report.delay_ms, kPromptMs);
  RecordProperty("report_delay_ms", std::to_string(report.delay_ms));
}

TEST(FloodedLogTest, BinaryOutputIsReportedAsItsLastLine) {
  Scenario s;
  s.PlaceLauncher();
  s.PlaceFixture("app\\python.exe");
  // Every byte value, 256 times over: the last line runs from the last line feed (0x0A) to the
  // end, and loses its leading vertical tab, form feed and carriage return to the trimming. It is
  // not UTF-8, so it is reported as the ANSI code page reads it.
  Report report = RunFailingApplication(s, "fill:65536:" + Escaped(Bytes(0, 255)));
  ASSERT_FALSE(report.run.timed_out);
  EXPECT_EQ(report.run.exit_code, 1u);
  ASSERT_EQ(report.run.boxes.size(), 1u);
  EXPECT_NE(report.run.err.find("\n\nPython reported: " + Narrow(WidenAnsi(Bytes(0x0E, 0xFF))) +
                                "\n\nWhat happened was written to:\n" + s.user_log()),
            std::string::npos);
  EXPECT_LT(report.delay_ms, kPromptMs);
}

TEST(FloodedLogTest, LastLineOfOneMegabyteIsReadFromTheLogsLast8192Bytes) {
  Scenario s;
  s.PlaceLauncher();
  std::string python = s.PlaceFixture("app\\python.exe");
  const std::string pattern = "0123456789abcdefghijklmnopqrstuvwxyz";
  constexpr std::size_t kLine = 1 << 20;
  Report report = RunFailingApplication(s, "fill:" + std::to_string(kLine) + ":" + pattern);
  ASSERT_FALSE(report.run.timed_out);
  ASSERT_EQ(report.run.boxes.size(), 1u);
  // The window starts 8192 bytes before the end, deep inside the line: what is reported are the
  // 300 bytes from there, not the line's first 300.
  std::string expected;
  for (std::size_t i = kLine - 8192; expected.size() < 300; ++i)
    expected.push_back(pattern[i % pattern.size()]);
  ASSERT_NE(expected.substr(0, 10), pattern.substr(0, 10));
  EXPECT_NE(report.run.err.find("\n\nPython reported: " + expected + "\n\n"), std::string::npos)
      << report.run.err.substr(0, 400);
  EXPECT_EQ(ReadWholeFile(s.user_log()).size(),
            LaunchLogHeader(product, python).size() + 1 + kLine);
  EXPECT_LT(report.delay_ms, kPromptMs);
}

// ---- the launcher's own path at the length limits ----

// Makes every folder of a full path, which may be longer than MAX_PATH.
bool MakeLongFolders(const std::wstring& path) {
  for (std::size_t i = 3; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != L'\\')
      continue;
    std::wstring folder = L"\\\\?\\" + path.substr(0, i);
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
      return false;
  }
  return true;
}

// A folder under base whose launcher path is exactly `length` characters, in components of at
// most 200 characters.
std::wstring FolderForLauncherPath(const std::wstring& base, std::size_t length) {
  const std::size_t folder_length = length - std::wstring(L"\\OrmixConverter.exe").size();
  std::wstring folder = base;
  for (wchar_t letter = L'a'; folder.size() < folder_length; ++letter) {
    std::size_t room = folder_length - folder.size() - 1;
    folder += L"\\" + std::wstring(room < 200 ? room : 200, letter);
  }
  return folder;
}

struct PathCase {
  const char* name;
  std::size_t length;
  bool accepted;
};

// What Wine 8 allows, found by trying: ANSI file calls (GetFileAttributesA, CopyFileA) refuse paths
// of MAX_PATH or more; the wide calls take longer ones with or without \\?\, but CreateDirectoryW
// fails once the path passes about 4037 characters (ERROR_GEN_FAILURE); CreateProcessW refuses an
// application path of MAX_PATH characters or more (ERROR_INVALID_NAME, \\?\ or not). So the
// longest launcher path that can be started is MAX_PATH - 1 characters, and GetModuleFileNameA
// gives it whole. The 4095 and 4096 rows need a platform that starts programs from such paths;
// elsewhere they are skipped, and GetLauncherPath's own test covers the buffer's edge.
class LongLauncherPathTest : public testing::TestWithParam<PathCase> {};

TEST_P(LongLauncherPathTest, AcceptedUpTo4095Bytes) {
  const PathCase& c = GetParam();
  Scenario s;
  s.PlaceSharedRuntime();
  std::wstring folder = FolderForLauncherPath(Widen(s.dir().path()), c.length);
  std::wstring launcher = folder + L"\\OrmixConverter.exe";
  ASSERT_EQ(launcher.size(), c.length);
  if (!MakeLongFolders(folder)) {
    GTEST_SKIP() << "no folder can be made at this depth here (error " << GetLastError() << ")";
  }
  ASSERT_TRUE(CopyFileW(Widen("\\\\?\\" + LauncherUnderTest()).c_str(),
                        (L"\\\\?\\" + launcher).c_str(), FALSE));

  s.UseLauncherAt(Narrow(launcher));
  RunResult run = s.Run();
  if (!run.started)
    GTEST_SKIP() << "no program can be started from a path of " << c.length << " characters here";
  ASSERT_FALSE(run.timed_out);
  if (c.accepted) {
    EXPECT_EQ(run.exit_code, 0u);
    FixtureRecord record = s.Record();
    ASSERT_TRUE(record.present);
    EXPECT_EQ(record.env["ORMIX_LAUNCHER_DIR"], Narrow(folder));
  } else {
    EXPECT_EQ(run.exit_code, 4u);
    EXPECT_EQ(run.err, FatalLine(product, "Could not determine install location."));
    EXPECT_FALSE(s.Record().present);
  }
}

INSTANTIATE_TEST_SUITE_P(Lengths, LongLauncherPathTest,
                         testing::Values(PathCase{"LongestThatStarts", MAX_PATH - 1, true},
                                         PathCase{"OneBelowTheBuffer", 4095, true},
                                         PathCase{"FillsTheBuffer", 4096, false}),
                         CaseName());

// ---- arguments that are not valid UTF-16 ----

// The launcher holds the arguments as UTF-8, which has no form for a surrogate without its
// partner. WideCharToMultiByte puts U+FFFD in its place (since Windows Vista; Wine does the same),
// so each unpaired surrogate reaches the application as U+FFFD; valid pairs arrive unchanged, and
// no argument is lost, merged or split.
TEST(UnpairedSurrogateTest, EachArrivesAsTheReplacementCharacter) {
  Scenario s;
  s.PlaceLauncher();
  std::string python = s.PlaceFixture("app\\python.exe");
  const std::vector<std::wstring> sent = {L"\xD800",
                                          L"a\xDC00"
                                          L"b",
                                          L"\xDC00\xD800",
                                          L"end\xD83D",
                                          L"\xDE00start",
                                          L"pair\xD83D\xDE00",
                                          L"two \xD800 \xDBFF"};
  const std::vector<std::wstring> arrived = {L"\xFFFD",
                                             L"a\xFFFD"
                                             L"b",
                                             L"\xFFFD\xFFFD",
                                             L"end\xFFFD",
                                             L"\xFFFDstart",
                                             L"pair\xD83D\xDE00",
                                             L"two \xFFFD \xFFFD"};
  RunResult run = s.Run(sent);
  ASSERT_FALSE(run.timed_out);
  EXPECT_EQ(run.exit_code, 0u);
  FixtureRecord record = s.Record();
  ASSERT_TRUE(record.present);
  std::vector<std::wstring> expected = {Widen(python), L"-m", Widen(product.app_module)};
  expected.insert(expected.end(), arrived.begin(), arrived.end());
  EXPECT_EQ(record.wide_args, expected);
}

// ---- TEMP, when it is the only place for the log ----

// The expected value is the folder the log is written in, or "none".
class TempFolderTest : public testing::TestWithParam<Case> {};

TEST_P(TempFolderTest, ApplicationRunsAndTheReportSaysWhereTheLogIs) {
  Scenario s;
  s.PlaceLauncher();
  std::string python = s.PlaceFixture("app\\python.exe");
  s.SetEnv("APPDATA", std::nullopt);
  GetParam().arrange(s);
  s.SetScript("out:what it said|exit:5");
  RunResult run = s.Run();
  ASSERT_FALSE(run.timed_out);
  EXPECT_EQ(run.exit_code, 5u);
  EXPECT_TRUE(s.Record().present) << "the application must run with or without a log";
  std::string expected = GetParam().expected;
  if (expected == "none") {
    EXPECT_NE(run.err.find("\n\nNo launch log could be written."), std::string::npos) << run.err;
  } else {
    std::string log = s.dir().Path(expected) + "\\" + product.product_key + "-launch.log";
    EXPECT_EQ(ReadWholeFile(log), LaunchLogHeader(product, python) + "\nwhat it said");
    EXPECT_NE(run.err.find("What happened was written to:\n" + log + "\n"), std::string::npos)
        << run.err;
  }
}

// Makes a folder read-only as far as the platform lets it be: Windows ignores the attribute on
// folders, and a Wine run as root writes through the permissions it maps to. Gives whether a
// file can still be made in it.
bool MakeReadOnly(const std::string& folder) {
  SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_READONLY);
  std::string probe = folder + "\\probe";
  HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  CloseHandle(file);
  DeleteFileA(probe.c_str());
  return true;
}

INSTANTIATE_TEST_SUITE_P(
    Table, TempFolderTest,
    testing::Values(
        // The folders on the way to the log are made.
        Case{"NamesAFolderThatIsMissing",
             [](Scenario& s) { s.SetEnv("TEMP", s.dir().Path("gone\\deeper")); }, "gone\\deeper"},
        Case{"IsAFile",
             [](Scenario& s) { s.SetEnv("TEMP", s.dir().WriteFile("temp-file", "a file")); },
             "none"},
        Case{"UnderAFile",
             [](Scenario& s) {
               s.SetEnv("TEMP", s.dir().WriteFile("temp-file", "a file") + "\\Temp");
             },
             "none"}),
    CaseName());

TEST(ReadOnlyTempTest, LogIsWrittenWhereTheFolderStillTakesFiles) {
  Scenario s;
  s.PlaceLauncher();
  std::string python = s.PlaceFixture("app\\python.exe");
  s.SetEnv("APPDATA", std::nullopt);
  std::string temp = s.dir().MakeDir("read-only-temp");
  s.SetEnv("TEMP", temp);
  bool writable = MakeReadOnly(temp);
  s.SetScript("out:what it said|exit:5");
  RunResult run = s.Run();
  SetFileAttributesA(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_FALSE(run.timed_out);
  EXPECT_EQ(run.exit_code, 5u);
  EXPECT_TRUE(s.Record().present);
  if (writable) {
    EXPECT_EQ(ReadWholeFile(temp + "\\" + product.product_key + "-launch.log"),
              LaunchLogHeader(product, python) + "\nwhat it said");
  } else {
    EXPECT_NE(run.err.find("\n\nNo launch log could be written."), std::string::npos) << run.err;
  }
  RecordProperty("temp_took_files", writable ? "yes" : "no");
}

}  // namespace
}  // namespace ormix::test
