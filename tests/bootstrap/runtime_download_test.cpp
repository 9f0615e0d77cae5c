// The offer called in-process against the loopback server, for what the real exe cannot be made
// to do: a progress window that cannot be created, and temporary directories at the path limit.
#include "bootstrap/runtime_download.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "loopback_server.h"
#include "bootstrap/progress_window.h"
#include "refusing_window_class.h"
#include "support/message_boxes.h"
#include "support/process_run.h"
#include "support/scoped_env.h"
#include "support/scratch_dir.h"

namespace ormix {
namespace {

using test::BinDir;
using test::FileExists;
using test::LoopbackServer;
using test::ReadWholeFile;
using test::ScopedEnv;
using test::ScratchDir;

constexpr char kCaption[] = "Ormix Converter";

// Answers this process's message boxes from a second thread while the offer runs on the first:
// Yes to the question, OK to anything else.
class BoxAnswerer {
 public:
  BoxAnswerer() : thread_([this] { Run(); }) {}
  ~BoxAnswerer() {
    stop_ = true;
    thread_.join();
  }
  std::vector<std::wstring> texts() {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_;
  }

 private:
  void Run() {
    std::set<HWND> answered;
    while (!stop_) {
      for (const test::BoxSeen& box : test::AnswerNewBoxes(
               GetCurrentProcessId(), answered, [](const test::BoxSeen&) { return IDYES; })) {
        std::lock_guard<std::mutex> lock(mutex_);
        texts_.push_back(box.text);
      }
      Sleep(10);
    }
  }

  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::wstring> texts_;
  std::thread thread_;
};

// The installer fixture served by the loopback server, signed by the publisher this program's
// settings pin (it links the loopback launcher's), and the variables it reads.
class OfferTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(server_.listening()) << server_.error(); }
  std::string record() const { return dir_.Path("setup.txt"); }

  ScratchDir dir_;
  LoopbackServer server_{{test::BinDir() + "\\setup-fixtures\\signed.exe"}};
  ScopedEnv record_env_{"ORMIX_SETUP_RECORD", dir_.Path("setup.txt")};
  ScopedEnv slot_env_{"ORMIX_SETUP_SLOT", std::nullopt};
  ScopedEnv exit_env_{"ORMIX_SETUP_EXIT", "0"};
};

TEST_F(OfferTest, NoUrlMeansNoQuestion) {
  BoxAnswerer boxes;
  EXPECT_EQ(OfferRuntimeDownload(kCaption, nullptr), 1);
  EXPECT_EQ(OfferRuntimeDownload(kCaption, ""), 1);
  EXPECT_TRUE(boxes.texts().empty());
  EXPECT_TRUE(server_.Requests().empty());
}

TEST_F(OfferTest, DownloadsAndRunsTheInstallerWithoutAProgressWindow) {
  test::RefusingWindowClass refusing;
  ASSERT_TRUE(refusing.registered());
  std::string temp = dir_.MakeDir("Temp");
  ScopedEnv tmp("TMP", temp), temp_env("TEMP", temp);

  struct Case {
    const char* exit_code;
    int result;
  } cases[] = {{"0", 0}, {"7", 1}};
  for (const Case& c : cases) {
    ScopedEnv exit_code("ORMIX_SETUP_EXIT", c.exit_code);
    DeleteFileA(record().c_str());
    BoxAnswerer boxes;
    EXPECT_EQ(
        OfferRuntimeDownload(kCaption, test::LoopbackUrl(test::InstallerPath("latest")).c_str()),
        c.result);
    EXPECT_EQ(boxes.texts().size(), 1u) << "the question, and no failure box";
    EXPECT_EQ(ReadWholeFile(record()),
              "image " + temp + "\\Harrowmere-Runtime-Setup.exe\nargc 1\nbuild 1\n");
    EXPECT_FALSE(FileExists(temp + "\\Harrowmere-Runtime-Setup.exe"));
  }
  EXPECT_EQ(server_.Requests().size(), 2u);
}

// The installer path is the temporary directory and 28 characters; with the terminator it must
// fit 260. One character more would download to, and run, a cut path.
TEST_F(OfferTest, TemporaryDirectoryTooLongForTheInstallerPathEndsBeforeTheDownload) {
  struct Case {
    size_t length;  // of the directory as GetTempPathW gives it, trailing backslash included
    bool downloads;
  } cases[] = {{231, true}, {232, false}, {258, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    // Nested folders: one name may not exceed 255 characters.
    std::string temp = dir_.path();
    while (temp.size() + 1 < c.length) {
      size_t room = c.length - 1 - temp.size() - 1;
      temp += "\\" + std::string(room < 100 ? room : 100, 't');
    }
    ASSERT_EQ(temp.size() + 1, c.length);
    if (c.length < 248)
      test::MakeDirs(temp);
    ScopedEnv tmp("TMP", temp), temp_env("TEMP", temp);
    DeleteFileA(record().c_str());
    size_t before = server_.Requests().size();

    BoxAnswerer boxes;
    int result =
        OfferRuntimeDownload(kCaption, test::LoopbackUrl(test::InstallerPath("latest")).c_str());
    EXPECT_EQ(result, c.downloads ? 0 : 1);
    EXPECT_EQ(server_.Requests().size(), before + (c.downloads ? 1 : 0));
    EXPECT_EQ(FileExists(record()), c.downloads);
    // Nothing but the question: a refused path is no failed download.
    EXPECT_EQ(boxes.texts().size(), 1u);
  }
}

}  // namespace
}  // namespace ormix
