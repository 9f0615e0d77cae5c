// The whole offer through the real launcher: a copy built with the loopback server's address as
// its download base, run from scenario folders, its boxes answered and its window watched.
#include <windows.h>
#include <winsock2.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <string>

#include "loopback_server.h"
#include "product_config.h"
#include "progress_watcher.h"
#include "support/folder_names.h"
#include "support/identity.h"
#include "support/scenario.h"

namespace ormix::test {
namespace {

// The loopback launcher is this build's, whatever launcher the other tests are given.
const Identity& product = BuiltIdentity();
const std::string kConsent =
    product.display_name +
    " needs the Harrowmere Runtime, a one-time shared download of about 230 MB.\n\nEvery "
    "Harrowmere app reuses it, so this happens only once -- after that, all of them start "
    "instantly.\n\nDownload and install it now?";
const std::string kDownloadFailed =
    "The Harrowmere Runtime could not be downloaded. Please check your internet connection and "
    "try again, or install the runtime manually from the Harrowmere releases page.";
const std::string kMissing = MissingRuntimeMessage(product);

// Yes to the download question, OK to everything else.
int AcceptDownload(const BoxSeen& box) {
  return Narrow(box.text) == kConsent ? IDYES : IDOK;
}

// A scenario with a loopback launcher in place of the shipped one (by default the one that
// verifies the installer's signature), and the installer's choices in variables that reach it
// through the launcher's environment.
struct DownloadScenario : Scenario {
  explicit DownloadScenario(const char* loopback_launcher = "OrmixConverter-loopback.exe") {
    std::string launcher = PlaceLauncher();
    CopyFileA((BinDir() + "\\" + loopback_launcher).c_str(), launcher.c_str(), FALSE);
    setup_record = dir().Path("setup.txt");
    installer = temp() + "\\Harrowmere-Runtime-Setup.exe";
    SetEnv("ORMIX_SETUP_RECORD", setup_record);
    SetEnv("ORMIX_SETUP_APP", BinDir() + "\\ormix_fixture_app.exe");
    SetEnv("ORMIX_SETUP_SLOT", "3.13");
    SetEnv("ORMIX_SETUP_EXIT", "0");
  }
  std::string host(const std::string& slot) const {
    return local_app_data() + "\\Harrowmere\\Runtime\\" + slot + "\\HarrowmereRuntime.exe";
  }
  std::string setup_record;  // what the installer wrote about its run
  std::string installer;     // where the download lands
};

void ExpectBox(const BoxSeen& box, const std::string& text) {
  EXPECT_EQ(Narrow(box.caption), product.display_name);
  EXPECT_EQ(Narrow(box.text), text);
}

// The stand-in installer as the build signed it (fixtures/sign_setup_fixtures.sh): "signed.exe"
// carries the signature of the publisher the loopback launchers pin.
std::string SetupServed(const std::string& name = "signed.exe") {
  return BinDir() + "\\setup-fixtures\\" + name;
}

// Each state the watcher saw is one the window can show, and the percent never goes back.
void ExpectProgressStates(const ProgressWindowFacts& facts, int total_mb) {
  const std::wregex label_form(
      L"Downloading the Harrowmere Runtime\\.\\.\\. (\\d+)%(  \\((\\d+) of (\\d+) MB\\))?");
  int last = -1;
  bool between = false;
  for (const ProgressState& state : facts.states) {
    SCOPED_TRACE(Narrow(state.title) + " / " + Narrow(state.label));
    int percent = TitlePercent(state.title);
    if (percent < 0) {
      EXPECT_EQ(state.title, L"Installing the Harrowmere Runtime");
    } else {
      EXPECT_GE(percent, last);
      last = percent;
      between = between || (percent > 0 && percent < 100);
    }
    std::wsmatch match;
    if (state.label != L"Preparing to download the shared runtime...") {
      ASSERT_TRUE(std::regex_match(state.label, match, label_form));
      if (match[2].matched) {
        EXPECT_EQ(std::stoi(match[4]), total_mb);
      }
    }
  }
  EXPECT_TRUE(between) << "no percentage between 0 and 100 was shown";
  ASSERT_FALSE(facts.states.empty());
  EXPECT_EQ(facts.states.back().title, L"Installing the Harrowmere Runtime - 100%");
  EXPECT_EQ(facts.states.back().label, L"Downloading the Harrowmere Runtime... 100%  (" +
                                           std::to_wstring(total_mb) + L" of " +
                                           std::to_wstring(total_mb) + L" MB)");
}

// The download tests below reach the loopback server only through the loopback launcher's URL,
// and their signed installers pass only with its publisher.
// Should the build's base reach that exe some other way (a second file using it, the one file no
// longer linked), the refused-connection and 404 tests would quietly run against the placeholder.
TEST(LoopbackLauncherTest, CarriesTheLoopbackSettingsAndTheShippedOneTheBuilds) {
  const std::string loopback = ReadWholeFile(BinDir() + "\\OrmixConverter-loopback.exe");
  const std::string shipped = ReadWholeFile(BinDir() + "\\" ORMIX_CFG_EXE_NAME);
  ASSERT_FALSE(loopback.empty());
  ASSERT_FALSE(shipped.empty());
  // Whole strings, terminator included.
  const std::string loopback_url = LoopbackUrl(InstallerPath("latest")) + '\0';
  const std::string build_url = std::string(ORMIX_CFG_DOWNLOAD_BASE) +
                                "/releases/download/runtime-latest/Harrowmere-Runtime-Setup.exe" +
                                '\0';
  const std::string build_base = ORMIX_CFG_DOWNLOAD_BASE;
  const std::string loopback_base = LoopbackUrl("/");
  EXPECT_NE(loopback.find(loopback_url), std::string::npos) << loopback_url;
  EXPECT_EQ(loopback.find(build_base), std::string::npos) << build_base;
  EXPECT_NE(shipped.find(build_url), std::string::npos) << build_url;
  EXPECT_EQ(shipped.find(loopback_base), std::string::npos) << loopback_base;
  // The publisher too: the download tests sign with the test subject's certificate.
  const std::string test_publisher = std::string(ORMIX_TEST_PUBLISHER) + '\0';
  const std::string build_publisher = std::string(ORMIX_CFG_INSTALLER_PUBLISHER) + '\0';
  EXPECT_NE(loopback.find(test_publisher), std::string::npos) << test_publisher;
  if (build_publisher.size() > 1) {
    EXPECT_EQ(loopback.find(build_publisher), std::string::npos) << build_publisher;
    EXPECT_NE(shipped.find(build_publisher), std::string::npos) << build_publisher;
  }
}

TEST(RuntimeDownloadTest, YesDownloadsRunsTheInstallerAndLaunchesTheApplication) {
  struct Case {
    const char* channel;
    const char* version_file;  // null: none, the latest channel
    const char* slot;
  } cases[] = {
      {"latest", nullptr, "3.13"},
      {"beta", "[runtime]\r\nslot=3.13-beta\r\n", "3.13-beta"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.channel);
    // Padding past the program's image (signed with it) makes a download of whole megabytes,
    // served slowly enough to be watched.
    LoopbackServer server({SetupServed("signed-large.exe"), 200, 32768, 15});
    ASSERT_TRUE(server.listening()) << server.error();
    DownloadScenario s;
    if (c.version_file)
      s.dir().WriteFile("app\\ormix-app-version.ini", c.version_file);
    s.SetEnv("ORMIX_SETUP_SLOT", c.slot);
    std::string screenshot =
        std::string(c.channel) == "latest" ? BinDir() + "\\progress-window.bmp" : "";
    ProgressWatcher watcher(s.launcher(), screenshot);

    RunResult run = s.Run({L"--open", L"file.orx"}, AcceptDownload);
    ProgressWindowFacts facts = watcher.Finish();
    ASSERT_FALSE(run.timed_out);
    EXPECT_EQ(run.exit_code, 0u);
    EXPECT_EQ(run.err, "");
    ASSERT_EQ(run.boxes.size(), 1u);
    ExpectBox(run.boxes[0], kConsent);
    EXPECT_EQ(server.Requests(), std::vector<std::string>{"GET " + InstallerPath(c.channel)});

    ASSERT_TRUE(facts.seen);
    EXPECT_EQ(facts.rect.right - facts.rect.left, 440);
    EXPECT_EQ(facts.rect.bottom - facts.rect.top, 150);
    EXPECT_EQ(facts.rect.left, (GetSystemMetrics(SM_CXSCREEN) - 440) / 2);
    EXPECT_EQ(facts.ex_style & WS_EX_TOPMOST, WS_EX_TOPMOST);
    size_t served = ReadWholeFile(SetupServed("signed-large.exe")).size();
    ExpectProgressStates(facts, static_cast<int>(served >> 20));

    // The installer ran from the temporary folder without arguments and was deleted after.
    EXPECT_EQ(ReadWholeFile(s.setup_record), "image " + s.installer + "\nargc 1\nbuild 1\n");
    EXPECT_FALSE(FileExists(s.installer));
    FixtureRecord app = s.Record();
    ASSERT_TRUE(app.present);
    EXPECT_EQ(app.image, s.host(c.slot));
    EXPECT_EQ(app.args.back(), "file.orx");
  }
}

TEST(RuntimeDownloadTest, NoLeavesTheNetworkAndTheTemporaryFolderAlone) {
  LoopbackServer server({SetupServed()});
  ASSERT_TRUE(server.listening()) << server.error();
  DownloadScenario s;
  RunResult run = s.Run();  // a question box is answered No
  EXPECT_EQ(run.exit_code, 2u);
  ASSERT_EQ(run.boxes.size(), 2u);
  ExpectBox(run.boxes[0], kConsent);
  ExpectBox(run.boxes[1], kMissing);
  EXPECT_EQ(run.err, FatalLine(product, kMissing));
  EXPECT_TRUE(server.Requests().empty());
  EXPECT_FALSE(FileExists(s.installer));
  EXPECT_FALSE(FileExists(s.setup_record));
}

bool SomethingListens(int port) {
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bool connected = connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  closesocket(s);
  return connected;
}

TEST(RuntimeDownloadTest, RefusedConnectionShowsTheFailureBoxAndRunsNothing) {
  ASSERT_FALSE(SomethingListens(kLoopbackPort)) << "port " << kLoopbackPort << " is taken";
  DownloadScenario s;
  RunResult run = s.Run({}, AcceptDownload);
  EXPECT_EQ(run.exit_code, 2u);
  ASSERT_EQ(run.boxes.size(), 3u);
  ExpectBox(run.boxes[0], kConsent);
  ExpectBox(run.boxes[1], kDownloadFailed);
  ExpectBox(run.boxes[2], kMissing);
  // The failure box is a plain box: only the launcher's fatal message reaches standard error.
  EXPECT_EQ(run.err, FatalLine(product, kMissing));
  EXPECT_FALSE(FileExists(s.setup_record));
  EXPECT_FALSE(s.Record().present);
}

// Whatever arrived, only an installer signed by the pinned publisher runs; the rest ends as a
// failed download, and nothing of it is left in the temporary folder. Under Wine 8 the transfer
// itself reports success for the error page and for the body cut short.
TEST(RuntimeDownloadTest, RefusedDownloadsEndAsFailedDownloads) {
  ScratchDir files;
  std::mt19937 random(14);
  std::string garbage(256 * 1024, '\0');
  for (char& byte : garbage) byte = static_cast<char>(random());
  const size_t signed_size = ReadWholeFile(SetupServed()).size();
  struct Case {
    const char* name;
    ServerOptions served;
  } cases[] = {
      {"unsigned", {SetupServed("unsigned.exe")}},
      {"signed, then altered", {SetupServed("tampered.exe")}},
      {"signed by another subject", {SetupServed("other-signer.exe")}},
      {"error page", {"", 404}},
      {"cut short", {.file = SetupServed(), .cut = static_cast<long long>(signed_size / 2)}},
      {"garbage", {files.WriteFile("garbage.bin", garbage)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoopbackServer server(c.served);
    ASSERT_TRUE(server.listening()) << server.error();
    DownloadScenario s;
    RunResult run = s.Run({}, AcceptDownload);
    EXPECT_EQ(run.exit_code, 2u);
    EXPECT_EQ(server.Requests(), std::vector<std::string>{"GET " + InstallerPath("latest")});
    ASSERT_EQ(run.boxes.size(), 3u);
    ExpectBox(run.boxes[0], kConsent);
    ExpectBox(run.boxes[1], kDownloadFailed);
    ExpectBox(run.boxes[2], kMissing);
    EXPECT_EQ(run.err, FatalLine(product, kMissing));
    EXPECT_FALSE(FileExists(s.setup_record)) << "the installer ran";
    EXPECT_FALSE(FileExists(s.installer));
    EXPECT_FALSE(s.Record().present);
  }
}

// A packager who turns the check off gets any whole program run, signed or not.
TEST(RuntimeDownloadTest, WithoutTheSignatureCheckAnUnsignedInstallerRuns) {
  LoopbackServer server({SetupServed("unsigned.exe")});
  ASSERT_TRUE(server.listening()) << server.error();
  DownloadScenario s("OrmixConverter-loopback-unverified.exe");
  RunResult run = s.Run({}, AcceptDownload);
  EXPECT_EQ(run.exit_code, 0u);
  ASSERT_EQ(run.boxes.size(), 1u);
  ExpectBox(run.boxes[0], kConsent);
  EXPECT_EQ(ReadWholeFile(s.setup_record), "image " + s.installer + "\nargc 1\nbuild 1\n");
  EXPECT_FALSE(FileExists(s.installer));
  EXPECT_TRUE(s.Record().present);
}

// Whether the system's URL cache holds an entry for url (the same user's cache as the launcher's).
bool InUrlCache(const std::string& url) {
  DWORD size = 0;
  return GetUrlCacheEntryInfoW(Widen(url).c_str(), nullptr, &size) ||
         GetLastError() == ERROR_INSUFFICIENT_BUFFER;
}

// The runtime-latest address serves a new installer with each release. A copy in the system's URL
// cache, however long the server allowed it to be kept, must not stand in for it, and the launcher
// leaves none there. (Wine 8 writes every download into the cache but never answers one from it,
// so here the entry left behind is what shows a fault; on Windows the second run would get the
// first build.)
TEST(RuntimeDownloadTest, EveryDownloadComesFromTheServerAndNoneIsKept) {
  const std::string url = LoopbackUrl(InstallerPath("latest"));
  DownloadScenario s;
  s.SetEnv("ORMIX_SETUP_SLOT", "");  // installs nothing, so the second launch offers again
  const char* builds[] = {"signed.exe", "signed-build2.exe"};
  for (int build = 1; build <= 2; ++build) {
    SCOPED_TRACE(build);
    ServerOptions served{SetupServed(builds[build - 1])};
    served.cache_seconds = 24 * 60 * 60;
    LoopbackServer server(served);
    ASSERT_TRUE(server.listening()) << server.error();
    DeleteFileA(s.setup_record.c_str());
    RunResult run = s.Run({}, AcceptDownload);
    EXPECT_EQ(run.exit_code, 2u);
    EXPECT_EQ(server.Requests(), std::vector<std::string>{"GET " + InstallerPath("latest")});
    EXPECT_EQ(ReadWholeFile(s.setup_record),
              "image " + s.installer + "\nargc 1\nbuild " + std::to_string(build) + "\n");
    EXPECT_FALSE(InUrlCache(url));
  }
}

TEST(RuntimeDownloadTest, InstallerWithoutSuccessEndsWithoutASecondOffer) {
  struct Case {
    const char* name;
    const char* exit_code;
    const char* slot;  // "": the installer lays out nothing
  } cases[] = {
      // Only exit code 0 makes the launcher look again, even when a runtime was laid out.
      {"exit 1", "1", "3.13"},
      {"exit 0, no runtime", "0", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoopbackServer server({SetupServed()});
    ASSERT_TRUE(server.listening()) << server.error();
    DownloadScenario s;
    s.SetEnv("ORMIX_SETUP_EXIT", c.exit_code);
    s.SetEnv("ORMIX_SETUP_SLOT", c.slot);
    RunResult run = s.Run({}, AcceptDownload);
    EXPECT_EQ(run.exit_code, 2u);
    ASSERT_EQ(run.boxes.size(), 2u);
    ExpectBox(run.boxes[0], kConsent);
    ExpectBox(run.boxes[1], kMissing);
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_TRUE(FileExists(s.setup_record));
    EXPECT_FALSE(FileExists(s.installer));
    EXPECT_FALSE(s.Record().present);
  }
}

// Wine prefers its builtin DLLs to any file of the same name. An override for one program (by
// its file name, removed again afterwards) makes it search as Windows does for a DLL outside
// KnownDLLs: the program's own folder first.
class NativeFirstFor {
 public:
  explicit NativeFirstFor(const std::wstring& program)
      : key_(L"Software\\Wine\\AppDefaults\\" + program) {
    for (const wchar_t* dll :
         {L"urlmon", L"comctl32", L"wininet", L"wintrust", L"crypt32", L"user32", L"shell32"}) {
      RegSetKeyValueW(HKEY_CURRENT_USER, (key_ + L"\\DllOverrides").c_str(), dll, REG_SZ,
                      L"native,builtin", sizeof L"native,builtin");
    }
  }
  ~NativeFirstFor() {
    RegDeleteTreeW(HKEY_CURRENT_USER, key_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, key_.c_str());
  }

 private:
  std::wstring key_;
};

// urlmon, comctl32, wininet, wintrust and crypt32 are not KnownDLLs: loaded by name they would
// come from the launcher's own folder first, and a copy left in a Downloads folder would run inside
// the launcher (or, as wintrust or crypt32, decide what counts as signed). USER32 (the boxes, the
// window) and SHELL32 (the installer's start) are bound late too, through the same System32-only
// load.
TEST(RuntimeDownloadTest, DllsPlantedBesideTheLauncherAreNotLoaded) {
  LoopbackServer server({SetupServed()});
  ASSERT_TRUE(server.listening()) << server.error();
  DownloadScenario s;
  std::string launcher = s.PlaceLauncher("app\\OrmixPlantedTest.exe");
  CopyFileA((BinDir() + "\\OrmixConverter-loopback.exe").c_str(), launcher.c_str(), FALSE);
  NativeFirstFor overrides(L"OrmixPlantedTest.exe");
  for (const char* name : {"urlmon.dll", "comctl32.dll", "wininet.dll", "wintrust.dll",
                           "crypt32.dll", "user32.dll", "shell32.dll"}) {
    ASSERT_TRUE(CopyFileA((BinDir() + "\\ormix_planted_dll.dll").c_str(),
                          (s.LauncherDir() + "\\" + name).c_str(), FALSE));
  }
  std::string marker = s.dir().Path("planted.txt");
  s.SetEnv("ORMIX_PLANTED_MARKER", marker);
  ProgressWatcher watcher(s.launcher());
  RunResult run = s.Run({}, AcceptDownload);
  ProgressWindowFacts facts = watcher.Finish();
  EXPECT_EQ(run.exit_code, 0u);
  EXPECT_EQ(ReadWholeFile(marker), "");
  EXPECT_EQ(server.Requests().size(), 1u);
  ASSERT_TRUE(facts.seen);
  ASSERT_FALSE(facts.states.empty());
  EXPECT_EQ(facts.states.back().title, L"Installing the Harrowmere Runtime - 100%");
}

// The user's profile, TEMP with it, in a folder outside the ANSI code page: the installer is
// downloaded into TEMP, run from there and deleted, and the runtime it lays out under
// LOCALAPPDATA is found.
class DownloadFolderNameTest : public testing::TestWithParam<FolderName> {};

TEST_P(DownloadFolderNameTest, InstallerRunsFromTempAndItsRuntimeIsFound) {
  LoopbackServer server({SetupServed()});
  ASSERT_TRUE(server.listening()) << server.error();
  DownloadScenario s;
  const std::string local =
      s.dir().MakeDir("Users\\" + std::string(GetParam().text) + "\\AppData\\Local");
  const std::string temp = s.dir().MakeDir(local.substr(s.dir().path().size() + 1) + "\\Temp");
  s.SetEnv("LOCALAPPDATA", local);
  s.SetEnv("TEMP", temp);
  s.SetEnv("TMP", temp);
  const std::string installer = temp + "\\Harrowmere-Runtime-Setup.exe";
  RunResult run = s.Run({L"file.orx"}, AcceptDownload);
  ASSERT_FALSE(run.timed_out);
  EXPECT_EQ(run.exit_code, 0u);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(ReadWholeFile(s.setup_record), "image " + installer + "\nargc 1\nbuild 1\n");
  EXPECT_FALSE(FileExists(installer));
  FixtureRecord app = s.Record();
  ASSERT_TRUE(app.present);
  EXPECT_EQ(app.image, local + "\\Harrowmere\\Runtime\\3.13\\HarrowmereRuntime.exe");
  EXPECT_EQ(app.args.back(), "file.orx");
}

INSTANTIATE_TEST_SUITE_P(Table, DownloadFolderNameTest, testing::ValuesIn(kFolderNames),
                         CaseName());

}  // namespace
}  // namespace ormix::test
