#include "runtime/runtime_search.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "common/limits.h"
#include "runtime/app_version_file.h"
#include "support/named_cases.h"
#include "support/scoped_env.h"
#include "support/scratch_dir.h"

namespace ormix {
namespace {

using test::ScopedEnv;

using test::PrintTo;

constexpr const char kGoodManifest[] = R"({"name": "Harrowmere Runtime", "python": "3.13.1"})";
constexpr const char kUntouched[] = "untouched";

class CurrentDirectoryOverride {
 public:
  explicit CurrentDirectoryOverride(const std::string& folder) {
    char old[MAX_PATH];
    old_.assign(old, GetCurrentDirectoryA(MAX_PATH, old));
    SetCurrentDirectoryA(folder.c_str());
  }
  ~CurrentDirectoryOverride() { SetCurrentDirectoryA(old_.c_str()); }
  CurrentDirectoryOverride(const CurrentDirectoryOverride&) = delete;
  CurrentDirectoryOverride& operator=(const CurrentDirectoryOverride&) = delete;

 private:
  std::string old_;
};

// A launcher folder and a LOCALAPPDATA of its own, both inside one scratch folder.
struct Layout {
  test::ScratchDir dir;
  ScopedEnv local_app_data{"LOCALAPPDATA", dir.Path("local").c_str()};
  std::string app = dir.MakeDir("app");
  std::string launcher = app + "\\OrmixConverter.exe";
  std::string root = dir.Path("local\\Harrowmere\\Runtime");

  std::string SlotFolder(const std::string& slot) const { return root + "\\" + slot; }
  std::string Host(const std::string& slot) const {
    return SlotFolder(slot) + "\\HarrowmereRuntime.exe";
  }
  // A complete shared runtime in the slot folder.
  void AddShared(const std::string& slot, const std::string& manifest = kGoodManifest) const {
    dir.WriteFile("local\\Harrowmere\\Runtime\\" + slot + "\\harrowmere-runtime.json", manifest);
    dir.WriteFile("local\\Harrowmere\\Runtime\\" + slot + "\\HarrowmereRuntime.exe", "MZ");
  }
  void WriteAppVersion(const std::string& contents) const {
    dir.WriteFile(std::string("app\\") + kAppVersionFileName, contents);
  }
};

// Junk in every field, so that a field the search forgot to clear shows.
RuntimeLocation DirtyRecord() {
  RuntimeLocation location;
  std::memset(&location, 'x', sizeof location);
  location.interpreter_path[kPathCapacity - 1] = '\0';
  location.runtime_home[kPathCapacity - 1] = '\0';
  location.app_root[kPathCapacity - 1] = '\0';
  location.slot[kSlotCapacity - 1] = '\0';
  return location;
}

void ExpectNoPaths(const RuntimeLocation& location) {
  EXPECT_STREQ(location.interpreter_path, "");
  EXPECT_STREQ(location.runtime_home, "");
  EXPECT_STREQ(location.app_root, "");
}

struct Entry {
  const char* path;
  bool folder;
};

struct EmbeddedCase {
  const char* name;
  std::vector<Entry> entries;
  const char* found;  // nullptr: no embedded runtime
};

class EmbeddedLayoutTest : public testing::TestWithParam<EmbeddedCase> {};

TEST_P(EmbeddedLayoutTest, ProbesCandidatesInOrder) {
  const EmbeddedCase& c = GetParam();
  test::ScratchDir dir;
  for (const Entry& e : c.entries) {
    if (e.folder) {
      dir.MakeDir(e.path);
    } else {
      dir.WriteFile(e.path, "MZ");
    }
  }
  char interpreter[kPathCapacity];
  char home[kPathCapacity];
  std::strcpy(interpreter, kUntouched);
  std::strcpy(home, kUntouched);
  int result =
      FindEmbeddedRuntime(dir.path().c_str(), interpreter, sizeof interpreter, home, sizeof home);
  if (c.found == nullptr) {
    EXPECT_EQ(result, -1);
    EXPECT_STREQ(interpreter, kUntouched);
    EXPECT_STREQ(home, kUntouched);
  } else {
    EXPECT_EQ(result, 0);
    EXPECT_EQ(interpreter, dir.Path(c.found));
    EXPECT_EQ(home, dir.path());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, EmbeddedLayoutTest,
    testing::Values(
        EmbeddedCase{
            "AllThree",
            {{"_internal\\python.exe", false}, {"python.exe", false}, {"pythonw.exe", false}},
            "_internal\\python.exe"},
        EmbeddedCase{"InternalAndPlain",
                     {{"_internal\\python.exe", false}, {"python.exe", false}},
                     "_internal\\python.exe"},
        EmbeddedCase{
            "PlainBeforeWindowless", {{"python.exe", false}, {"pythonw.exe", false}}, "python.exe"},
        EmbeddedCase{"WindowlessOnly", {{"pythonw.exe", false}}, "pythonw.exe"},
        EmbeddedCase{
            "FolderNamedPython", {{"python.exe", true}, {"pythonw.exe", false}}, "pythonw.exe"},
        EmbeddedCase{"FolderNamedInternalPython",
                     {{"_internal\\python.exe", true}, {"python.exe", false}},
                     "python.exe"},
        EmbeddedCase{
            "InternalWindowlessIsNoCandidate", {{"_internal\\pythonw.exe", false}}, nullptr},
        EmbeddedCase{"AllFolders",
                     {{"_internal\\python.exe", true}, {"python.exe", true}, {"pythonw.exe", true}},
                     nullptr},
        EmbeddedCase{"Nothing", {}, nullptr}),
    test::CaseName());

TEST(EmbeddedRuntimeTest, NoFolderProbesNothing) {
  // A missing folder must not turn into the current directory.
  test::ScratchDir dir;
  dir.WriteFile("python.exe", "MZ");
  CurrentDirectoryOverride cwd(dir.path());
  char interpreter[kPathCapacity] = "untouched";
  char home[kPathCapacity] = "untouched";
  EXPECT_EQ(FindEmbeddedRuntime("", interpreter, sizeof interpreter, home, sizeof home), -1);
  EXPECT_EQ(FindEmbeddedRuntime(nullptr, interpreter, sizeof interpreter, home, sizeof home), -1);
  EXPECT_STREQ(interpreter, kUntouched);
  EXPECT_STREQ(home, kUntouched);
}

TEST(RuntimeSearchTest, EmbeddedRuntimeWinsOverAppVersionFile) {
  Layout layout;
  layout.dir.WriteFile("app\\python.exe", "MZ");
  layout.WriteAppVersion("[runtime]\nslot=3.13-beta\n");
  layout.AddShared("3.13");
  layout.AddShared("3.13-beta");

  RuntimeLocation location = DirtyRecord();
  ASSERT_EQ(ResolveRuntime(layout.launcher.c_str(), &location), 0);
  EXPECT_EQ(location.interpreter_path, layout.app + "\\python.exe");
  EXPECT_EQ(location.runtime_home, layout.app);
  EXPECT_EQ(location.app_root, layout.app);
  // The app version file is not read once an embedded runtime is found.
  EXPECT_STREQ(location.slot, "");
}

struct SlotFolderCase {
  const char* name;
  const char* app_version;                                  // nullptr: no file
  std::vector<std::pair<const char*, const char*>> shared;  // slot folder, manifest
  const char* home;                                         // slot folder found, nullptr: not found
  const char* slot;
};

class RuntimeSearchSlotTest : public testing::TestWithParam<SlotFolderCase> {};

TEST_P(RuntimeSearchSlotTest, SharedRuntimeInChosenFolder) {
  const SlotFolderCase& c = GetParam();
  Layout layout;
  if (c.app_version != nullptr)
    layout.WriteAppVersion(c.app_version);
  for (const auto& [folder, manifest] : c.shared) layout.AddShared(folder, manifest);

  RuntimeLocation location = DirtyRecord();
  int result = ResolveRuntime(layout.launcher.c_str(), &location);
  EXPECT_STREQ(location.slot, c.slot);
  if (c.home == nullptr) {
    EXPECT_EQ(result, -1);
    ExpectNoPaths(location);
  } else {
    EXPECT_EQ(result, 0);
    EXPECT_EQ(location.interpreter_path, layout.Host(c.home));
    EXPECT_EQ(location.runtime_home, layout.SlotFolder(c.home));
    EXPECT_STREQ(location.app_root, "");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, RuntimeSearchSlotTest,
    testing::Values(
        SlotFolderCase{"NoAppVersionFile", nullptr, {{"3.13", kGoodManifest}}, "3.13", ""},
        SlotFolderCase{"BetaSlot",
                       "[runtime]\nslot=3.13-beta\n",
                       {{"3.13", kGoodManifest}, {"3.13-beta", kGoodManifest}},
                       "3.13-beta",
                       "3.13-beta"},
        SlotFolderCase{"DevSlot",
                       "[runtime]\nslot=3.13-dev\n",
                       {{"3.13", kGoodManifest}, {"3.13-dev", kGoodManifest}},
                       "3.13-dev",
                       "3.13-dev"},
        SlotFolderCase{"RefusedSlotUsesSeries",
                       "[runtime]\nslot=3.13-BETA\n",
                       {{"3.13", kGoodManifest}, {"3.13-beta", kGoodManifest}},
                       "3.13",
                       ""},
        // A slot folder must still hold a runtime of the series, whatever the slot says.
        SlotFolderCase{"BetaFolderOfSeries",
                       "[runtime]\nslot=3.13-beta\n",
                       {{"3.13-beta", R"({"python": "3.13.0rc2"})"}},
                       "3.13-beta",
                       "3.13-beta"},
        SlotFolderCase{"BetaFolderOfOtherSeries",
                       "[runtime]\nslot=3.13-beta\n",
                       {{"3.13", kGoodManifest}, {"3.13-beta", R"({"python": "3.14.0"})"}},
                       nullptr,
                       "3.13-beta"},
        // The slot survives a failed search: the installer URL is derived from it.
        SlotFolderCase{"SlotFolderMissing",
                       "[runtime]\nslot=3.13-beta\n",
                       {{"3.13", kGoodManifest}},
                       nullptr,
                       "3.13-beta"},
        SlotFolderCase{"NothingInstalled", "[runtime]\nslot=3.13-dev\n", {}, nullptr, "3.13-dev"},
        SlotFolderCase{"NothingAtAll", nullptr, {}, nullptr, ""}),
    test::CaseName());

TEST(RuntimeSearchTest, SlotIsUsedVerbatim) {
  Layout layout;
  layout.AddShared("3.13");
  layout.AddShared("3.13-dev");
  char interpreter[kPathCapacity];
  char home[kPathCapacity];
  ASSERT_EQ(FindSharedRuntime("3.13-dev", interpreter, sizeof interpreter, home, sizeof home), 0);
  EXPECT_EQ(interpreter, layout.Host("3.13-dev"));
  EXPECT_EQ(home, layout.SlotFolder("3.13-dev"));
  for (const char* none : {"", static_cast<const char*>(nullptr)}) {
    ASSERT_EQ(FindSharedRuntime(none, interpreter, sizeof interpreter, home, sizeof home), 0);
    EXPECT_EQ(interpreter, layout.Host("3.13"));
    EXPECT_EQ(home, layout.SlotFolder("3.13"));
  }
}

TEST(SharedRuntimeTest, LocalAppDataDecidesTheRoot) {
  Layout layout;
  layout.AddShared("3.13");
  char interpreter[kPathCapacity];
  char home[kPathCapacity];
  auto find = [&] {
    std::strcpy(interpreter, kUntouched);
    std::strcpy(home, kUntouched);
    return FindSharedRuntime(nullptr, interpreter, sizeof interpreter, home, sizeof home);
  };
  ASSERT_EQ(find(), 0);
  EXPECT_EQ(interpreter, layout.Host("3.13"));

  // One backslash is added whatever the value ends in; the doubled one still names the folder.
  layout.local_app_data.Set((layout.dir.Path("local") + "\\").c_str());
  EXPECT_EQ(find(), 0);

  for (const char* value : {static_cast<const char*>(nullptr), "", "C:\\ormix-no-such-folder"}) {
    SCOPED_TRACE(value != nullptr ? value : "(unset)");
    layout.local_app_data.Set(value);
    EXPECT_EQ(find(), -1);
    EXPECT_STREQ(interpreter, kUntouched);
    EXPECT_STREQ(home, kUntouched);
  }
  // The variable names a real folder, but one without the runtime root.
  layout.local_app_data.Set(layout.app.c_str());
  EXPECT_EQ(find(), -1);
}

enum class Kind { kFile, kFolder, kMissing };

struct LayoutCase {
  const char* name;
  bool slot_folder;
  Kind manifest;
  const char* manifest_text;
  Kind host;
  int result;
};

class SharedLayoutTest : public testing::TestWithParam<LayoutCase> {};

TEST_P(SharedLayoutTest, NeedsManifestAndHost) {
  const LayoutCase& c = GetParam();
  Layout layout;
  layout.dir.MakeDir("local\\Harrowmere\\Runtime");
  const std::string folder = "local\\Harrowmere\\Runtime\\3.13\\";
  if (c.slot_folder)
    layout.dir.MakeDir(folder);
  auto make = [&](Kind kind, const char* name, const char* text) {
    if (kind == Kind::kFile)
      layout.dir.WriteFile(folder + name, text);
    else if (kind == Kind::kFolder)
      layout.dir.MakeDir(folder + name);
  };
  make(c.manifest, "harrowmere-runtime.json", c.manifest_text);
  make(c.host, "HarrowmereRuntime.exe", "MZ");

  char interpreter[kPathCapacity] = "untouched";
  char home[kPathCapacity] = "untouched";
  EXPECT_EQ(FindSharedRuntime(nullptr, interpreter, sizeof interpreter, home, sizeof home),
            c.result);
  if (c.result == 0) {
    EXPECT_EQ(interpreter, layout.Host("3.13"));
    EXPECT_EQ(home, layout.SlotFolder("3.13"));
  } else {
    EXPECT_STREQ(interpreter, kUntouched);
    EXPECT_STREQ(home, kUntouched);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, SharedLayoutTest,
    testing::Values(
        LayoutCase{"Complete", true, Kind::kFile, kGoodManifest, Kind::kFile, 0},
        LayoutCase{"NoSlotFolder", false, Kind::kMissing, "", Kind::kMissing, -1},
        LayoutCase{"ManifestMissing", true, Kind::kMissing, "", Kind::kFile, -1},
        LayoutCase{"ManifestIsFolder", true, Kind::kFolder, "", Kind::kFile, -1},
        LayoutCase{"ManifestEmpty", true, Kind::kFile, "", Kind::kFile, -1},
        LayoutCase{"ManifestOtherSeries", true, Kind::kFile, R"({"python": "3.12.7"})", Kind::kFile,
                   -1},
        LayoutCase{"ManifestWithoutPython", true, Kind::kFile, R"({"name": "x"})", Kind::kFile, -1},
        LayoutCase{"HostMissing", true, Kind::kFile, kGoodManifest, Kind::kMissing, -1},
        LayoutCase{"HostIsFolder", true, Kind::kFile, kGoodManifest, Kind::kFolder, -1}),
    test::CaseName());

TEST(SharedRuntimeTest, LockedManifestIsNotFound) {
  Layout layout;
  layout.AddShared("3.13");
  HANDLE lock =
      CreateFileA((layout.SlotFolder("3.13") + "\\harrowmere-runtime.json").c_str(), GENERIC_READ,
                  0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  char interpreter[kPathCapacity] = "untouched";
  char home[kPathCapacity] = "untouched";
  EXPECT_EQ(FindSharedRuntime(nullptr, interpreter, sizeof interpreter, home, sizeof home), -1);
  EXPECT_STREQ(interpreter, kUntouched);
  CloseHandle(lock);
  EXPECT_EQ(FindSharedRuntime(nullptr, interpreter, sizeof interpreter, home, sizeof home), 0);
}

// A manifest whose member starts at byte offset: an opening brace, then blanks up to it.
std::string MemberAt(std::size_t offset, const std::string& member) {
  return "{" + std::string(offset - 1, ' ') + member;
}

struct ManifestCase {
  const char* name;
  std::string text;
  int result;
};

class SharedManifestTest : public testing::TestWithParam<ManifestCase> {};

TEST_P(SharedManifestTest, OnlyTheFirst511BytesCount) {
  const ManifestCase& c = GetParam();
  Layout layout;
  layout.AddShared("3.13", c.text);
  char interpreter[kPathCapacity];
  char home[kPathCapacity];
  EXPECT_EQ(FindSharedRuntime("3.13", interpreter, sizeof interpreter, home, sizeof home),
            c.result);
}

// `"python": "3.13` is 15 bytes and `"python": "3.1` 14, so at these offsets the read stops
// right after them.
INSTANTIATE_TEST_SUITE_P(
    Manifests, SharedManifestTest,
    testing::Values(
        ManifestCase{"Compact", R"({"python":"3.13.1"})", 0},
        ManifestCase{"WholeWithinLimit", MemberAt(511 - 19, R"("python": "3.13.0"})"), 0},
        ManifestCase{"CutAfterSeries", MemberAt(511 - 15, R"("python": "3.13.0"})"), 0},
        ManifestCase{"CutAfterPrefix", MemberAt(511 - 14, R"("python": "3.13.0"})"), -1},
        ManifestCase{"KeyAcrossLimit", MemberAt(504, R"("python": "3.13.0"})"), -1},
        ManifestCase{"KeyBeyondLimit", MemberAt(600, R"("python": "3.13.0"})"), -1},
        ManifestCase{"LargeFile",
                     R"({"python": "3.13.1", "files": ")" + std::string(8000, 'f') + "\"}", 0},
        ManifestCase{"ZeroByteFirst", std::string(1, '\0') + kGoodManifest, -1},
        ManifestCase{"ZeroByteInValue", std::string("{\"python\": \"3.1\0003\"}", 19), -1},
        ManifestCase{"ZeroByteAfterValue", std::string("{\"python\": \"3.13\"\0\xFF\xFE", 20), 0}),
    test::CaseName());

TEST(RuntimeSearchTest, LauncherPathLengthLimit) {
  // A short folder and a long file name: only the whole path's length decides whether the launcher
  // folder is used.
  Layout layout;
  layout.WriteAppVersion("[runtime]\nslot=3.13-beta\n");
  layout.AddShared("3.13");
  layout.AddShared("3.13-beta");
  auto launcher_of_length = [&](std::size_t length) {
    return layout.app + "\\" + std::string(length - layout.app.size() - 1, 'L');
  };

  RuntimeLocation location;
  ASSERT_EQ(ResolveRuntime(launcher_of_length(4095).c_str(), &location), 0);
  EXPECT_STREQ(location.slot, "3.13-beta");
  EXPECT_EQ(location.runtime_home, layout.SlotFolder("3.13-beta"));
  for (std::size_t length : {4096u, 9000u}) {
    SCOPED_TRACE(length);
    ASSERT_EQ(ResolveRuntime(launcher_of_length(length).c_str(), &location), 0);
    EXPECT_STREQ(location.slot, "");
    EXPECT_EQ(location.runtime_home, layout.SlotFolder("3.13"));
  }

  layout.dir.WriteFile("app\\python.exe", "MZ");
  ASSERT_EQ(ResolveRuntime(launcher_of_length(4095).c_str(), &location), 0);
  EXPECT_EQ(location.interpreter_path, layout.app + "\\python.exe");
  EXPECT_EQ(location.app_root, layout.app);
  ASSERT_EQ(ResolveRuntime(launcher_of_length(4096).c_str(), &location), 0);
  EXPECT_EQ(location.interpreter_path, layout.Host("3.13"));
  EXPECT_STREQ(location.app_root, "");
}

TEST(RuntimeSearchTest, LauncherWithoutFolder) {
  Layout layout;
  layout.AddShared("3.13");
  layout.AddShared("3.13-beta");
  // A runtime and an app version file in the current directory must not be taken for the
  // launcher's own.
  layout.dir.WriteFile("app\\python.exe", "MZ");
  layout.WriteAppVersion("[runtime]\nslot=3.13-beta\n");
  CurrentDirectoryOverride cwd(layout.app);

  for (const char* launcher : {"OrmixConverter.exe", static_cast<const char*>(nullptr)}) {
    SCOPED_TRACE(launcher != nullptr ? launcher : "(null)");
    RuntimeLocation location = DirtyRecord();
    ASSERT_EQ(ResolveRuntime(launcher, &location), 0);
    EXPECT_EQ(location.interpreter_path, layout.Host("3.13"));
    EXPECT_EQ(location.runtime_home, layout.SlotFolder("3.13"));
    EXPECT_STREQ(location.app_root, "");
    EXPECT_STREQ(location.slot, "");
  }
}

TEST(RuntimeSearchTest, NoRecordIsFailure) {
  Layout layout;
  layout.dir.WriteFile("app\\python.exe", "MZ");
  EXPECT_EQ(ResolveRuntime(layout.launcher.c_str(), nullptr), -1);
}

}  // namespace
}  // namespace ormix
