// Where the launch log goes and how its file is opened: real folders, real environment variables
// and real handles.
#include "diagnostics/launch_log.h"

#include <windows.h>

#include <cstring>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "common/handles.h"
#include "diagnostics/log_tail.h"
#include "support/identity.h"
#include "support/named_cases.h"
#include "support/scoped_env.h"
#include "support/scratch_dir.h"

namespace ormix {
namespace {

using test::FileExists;
using test::ReadWholeFile;
using test::ScopedEnv;
using test::ScratchDir;

// The product key is the caller's; the APPDATA folder is the build's.
const std::string kKey = test::BuiltIdentity().product_key;
constexpr char kHeader[] =
    "Ormix Converter 1.0.0 launcher: D:\\Ormix\\_internal\\pythonw.exe -m ormix.apps.converter";

bool IsDirectory(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// ---- ChooseLaunchLogPath ----

enum class Root { kNull, kEmpty, kWithDataFolder, kWithDataFile, kWithoutData };
enum class Var { kUnset, kEmpty, kSet };
enum class Expect { kPortable, kAppData, kTemp, kNone };

struct LocationCase {
  const char* name;
  Root root;
  Var appdata;
  Var temp;
  Expect expect;
};

using test::PrintTo;

class LaunchLogLocationTest : public testing::TestWithParam<LocationCase> {};

TEST_P(LaunchLogLocationTest, ChoosesFirstLocationThatApplies) {
  const LocationCase& c = GetParam();
  ScratchDir scratch;
  std::string root = scratch.MakeDir("app");
  if (c.root == Root::kWithDataFolder)
    scratch.MakeDir("app\\data");
  if (c.root == Root::kWithDataFile)
    scratch.WriteFile("app\\data", "not a folder");
  const std::string appdata = scratch.Path("Roaming");
  const std::string temp = scratch.Path("Temp");

  auto value = [](Var v, const std::string& set) -> const char* {
    return v == Var::kUnset ? nullptr : v == Var::kEmpty ? "" : set.c_str();
  };
  ScopedEnv appdata_env("APPDATA", value(c.appdata, appdata));
  ScopedEnv temp_env("TEMP", value(c.temp, temp));

  const char* app_root = c.root == Root::kNull    ? nullptr
                         : c.root == Root::kEmpty ? ""
                                                  : root.c_str();
  char out[4096];
  std::memset(out, 'X', sizeof out);
  int result = ChooseLaunchLogPath(app_root, kKey.c_str(), out, sizeof out);

  switch (c.expect) {
    case Expect::kPortable:
      EXPECT_EQ(result, 0);
      EXPECT_EQ(std::string(out), root + "\\data\\logs\\launch.log");
      break;
    case Expect::kAppData:
      EXPECT_EQ(result, 0);
      EXPECT_EQ(std::string(out), test::UserLogPath(test::BuiltIdentity(), appdata));
      break;
    case Expect::kTemp:
      EXPECT_EQ(result, 0);
      EXPECT_EQ(std::string(out), temp + "\\" + kKey + "-launch.log");
      break;
    case Expect::kNone:
      EXPECT_EQ(result, -1);
      EXPECT_EQ(out[0], '\0');
      break;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, LaunchLogLocationTest,
    testing::Values(
        LocationCase{"DataFolderBeatsEnvironment", Root::kWithDataFolder, Var::kSet, Var::kSet,
                     Expect::kPortable},
        LocationCase{"DataFolderWithoutEnvironment", Root::kWithDataFolder, Var::kUnset,
                     Var::kUnset, Expect::kPortable},
        LocationCase{"DataFileIsNoFolder", Root::kWithDataFile, Var::kSet, Var::kSet,
                     Expect::kAppData},
        LocationCase{"RootWithoutData", Root::kWithoutData, Var::kSet, Var::kSet, Expect::kAppData},
        LocationCase{"EmptyRoot", Root::kEmpty, Var::kSet, Var::kSet, Expect::kAppData},
        LocationCase{"NullRoot", Root::kNull, Var::kSet, Var::kSet, Expect::kAppData},
        LocationCase{"AppDataUnset", Root::kNull, Var::kUnset, Var::kSet, Expect::kTemp},
        LocationCase{"AppDataEmpty", Root::kEmpty, Var::kEmpty, Var::kSet, Expect::kTemp},
        LocationCase{"DataFileAndNoAppData", Root::kWithDataFile, Var::kUnset, Var::kSet,
                     Expect::kTemp},
        LocationCase{"NothingUsable", Root::kNull, Var::kUnset, Var::kUnset, Expect::kNone},
        LocationCase{"OnlyEmptyVariables", Root::kWithoutData, Var::kEmpty, Var::kEmpty,
                     Expect::kNone}),
    test::CaseName());

TEST(LaunchLogTest, ChosenPathIsCutToCapacity) {
  ScopedEnv appdata("APPDATA", "C:\\Users\\someone\\AppData\\Roaming");
  char out[32];
  std::memset(out, 'X', sizeof out);
  ASSERT_EQ(ChooseLaunchLogPath(nullptr, kKey.c_str(), out, 16), 0);
  EXPECT_STREQ(out, "C:\\Users\\someon");
  EXPECT_EQ(out[16], 'X');
}

// ---- OpenLaunchLog ----

TEST(LaunchLogTest, CreatesMissingFoldersAndWritesHeaderLine) {
  ScratchDir scratch;
  const std::string path = scratch.Path("one\\two\\three\\launch.log");
  FileHandle log(OpenLaunchLog(path.c_str(), kHeader));
  ASSERT_TRUE(log);
  EXPECT_TRUE(IsDirectory(scratch.Path("one\\two\\three")));
  log.reset();
  EXPECT_EQ(ReadWholeFile(path), std::string(kHeader) + "\n");
}

TEST(LaunchLogTest, TruncatesEarlierRunsLog) {
  ScratchDir scratch;
  const std::string path =
      scratch.WriteFile("logs\\launch.log", "earlier header\r\n" + std::string(20000, 'o') + "\n");
  FileHandle log(OpenLaunchLog(path.c_str(), "new header"));
  ASSERT_TRUE(log);
  log.reset();
  EXPECT_EQ(ReadWholeFile(path), "new header\n");
}

TEST(LaunchLogTest, ApplicationOutputFollowsHeaderLine) {
  ScratchDir scratch;
  const std::string path = scratch.Path("launch.log");
  FileHandle log(OpenLaunchLog(path.c_str(), kHeader));
  ASSERT_TRUE(log);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(log.get(), "Traceback\r\n", 11, &written, nullptr));
  log.reset();
  EXPECT_EQ(ReadWholeFile(path), std::string(kHeader) + "\nTraceback\r\n");
}

TEST(LaunchLogTest, NoHeaderGivesEmptyFile) {
  for (const char* header : {static_cast<const char*>(nullptr), ""}) {
    SCOPED_TRACE(header == nullptr ? "null header" : "empty header");
    ScratchDir scratch;
    const std::string path = scratch.WriteFile("launch.log", "old");
    FileHandle log(OpenLaunchLog(path.c_str(), header));
    ASSERT_TRUE(log);
    log.reset();
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(ReadWholeFile(path), "");
  }
}

TEST(LaunchLogTest, HandleIsInheritable) {
  ScratchDir scratch;
  FileHandle log(OpenLaunchLog(scratch.Path("launch.log").c_str(), kHeader));
  ASSERT_TRUE(log);
  DWORD flags = 0;
  ASSERT_TRUE(GetHandleInformation(log.get(), &flags));
  EXPECT_NE(flags & HANDLE_FLAG_INHERIT, 0u);
}

TEST(LaunchLogTest, OpenLogAdmitsReadersOnly) {
  ScratchDir scratch;
  const std::string path = scratch.Path("logs\\launch.log");
  FileHandle log(OpenLaunchLog(path.c_str(), kHeader));
  ASSERT_TRUE(log);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(log.get(), "still running\n", 14, &written, nullptr));

  const DWORD share_all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  FileHandle writer(CreateFileA(path.c_str(), GENERIC_WRITE, share_all, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  EXPECT_FALSE(writer);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));

  // A second launch resolving to the same log gets none, rather than writing into this one.
  FileHandle second(OpenLaunchLog(path.c_str(), "second launch"));
  EXPECT_FALSE(second);

  FileHandle reader(CreateFileA(path.c_str(), GENERIC_READ, share_all, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  EXPECT_TRUE(reader);

  // A process that left the job may still hold the log when the report reads it.
  char line[kLogLineCapacity];
  EXPECT_EQ(ReadLastLogLine(path.c_str(), kHeader, line, sizeof line), 0);
  EXPECT_STREQ(line, "still running");

  reader.reset();
  log.reset();
  EXPECT_EQ(ReadWholeFile(path), std::string(kHeader) + "\nstill running\n");
}

TEST(LaunchLogTest, NoPathGivesNoHandle) {
  EXPECT_EQ(OpenLaunchLog(nullptr, kHeader), INVALID_HANDLE_VALUE);
  EXPECT_EQ(OpenLaunchLog("", kHeader), INVALID_HANDLE_VALUE);
}

TEST(LaunchLogTest, FolderThatCannotBeCreatedGivesNoHandle) {
  ScratchDir scratch;
  // A file stands where the log's folder would have to be.
  scratch.WriteFile("blocked", "a file, not a folder");
  const std::string path = scratch.Path("blocked\\logs\\launch.log");
  EXPECT_EQ(OpenLaunchLog(path.c_str(), kHeader), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(FileExists(scratch.Path("blocked\\logs")));
  EXPECT_EQ(ReadWholeFile(scratch.Path("blocked")), "a file, not a folder");
}

TEST(LaunchLogTest, PathWithoutFolderIsRelativeToCurrentDirectory) {
  ScratchDir scratch;
  char previous[MAX_PATH];
  ASSERT_NE(GetCurrentDirectoryA(MAX_PATH, previous), 0u);
  ASSERT_TRUE(SetCurrentDirectoryA(scratch.path().c_str()));
  FileHandle log(OpenLaunchLog("relative-launch.log", kHeader));
  log.reset();
  SetCurrentDirectoryA(previous);
  EXPECT_EQ(ReadWholeFile(scratch.Path("relative-launch.log")), std::string(kHeader) + "\n");
}

TEST(LaunchLogTest, PortableLogGetsItsLogsFolder) {
  ScratchDir scratch;
  scratch.MakeDir("Ormix\\data");
  const std::string app_root = scratch.Path("Ormix");
  char path[4096];
  ASSERT_EQ(ChooseLaunchLogPath(app_root.c_str(), kKey.c_str(), path, sizeof path), 0);
  FileHandle log(OpenLaunchLog(path, kHeader));
  ASSERT_TRUE(log);
  log.reset();
  EXPECT_EQ(ReadWholeFile(app_root + "\\data\\logs\\launch.log"), std::string(kHeader) + "\n");
}

}  // namespace
}  // namespace ormix
