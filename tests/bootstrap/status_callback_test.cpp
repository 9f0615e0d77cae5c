// The status callback as URLDownloadToFileW sees it: called through the real IBindStatusCallback
// interface, so a slot out of the interface's order shows up as a wrong call.
#include "bootstrap/status_callback.h"

#include <windows.h>
#include <commctrl.h>
#include <urlmon.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "support/message_boxes.h"

namespace ormix {
namespace {

using test::WindowText;

IBindStatusCallback* AsInterface(DownloadStatusCallback& callback) {
  return reinterpret_cast<IBindStatusCallback*>(&callback);
}

class StatusCallbackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CreateProgressWindow(&window_, "Ormix Converter"), 0);
    callback_ = MakeDownloadStatusCallback(&window_);
  }
  void TearDown() override {
    DestroyWindow(window_.frame);
    PumpPendingMessages();
  }
  IBindStatusCallback* bsc() { return AsInterface(callback_); }

  ProgressWindow window_ = {};
  DownloadStatusCallback callback_ = {};
};

TEST_F(StatusCallbackTest, ProgressMovesTheBarAndRewritesTheTextsOnlyWhenThePercentChanges) {
  const std::wstring kSentinel = L"sentinel";
  struct Step {
    ULONG progress, max;
    int position;          // of the bar, 0 to 1000
    const wchar_t* label;  // null: the percent did not change, the label keeps the sentinel
    const wchar_t* title;
  } steps[] = {
      // The first notification always writes, also at 0 %.
      {0, 0, 0, L"Downloading the Harrowmere Runtime... 0%",
       L"Installing the Harrowmere Runtime - 0%"},
      {0, 0, 0, nullptr, nullptr},
      {1, 3, 330, L"Downloading the Harrowmere Runtime... 33%  (0 of 0 MB)",
       L"Installing the Harrowmere Runtime - 33%"},
      {1048576, 3145729, 330, nullptr, nullptr},
      {2, 3, 660, L"Downloading the Harrowmere Runtime... 66%  (0 of 0 MB)",
       L"Installing the Harrowmere Runtime - 66%"},
      {999, 1000, 990, L"Downloading the Harrowmere Runtime... 99%  (0 of 0 MB)",
       L"Installing the Harrowmere Runtime - 99%"},
      {1000, 1000, 1000, L"Downloading the Harrowmere Runtime... 100%  (0 of 0 MB)",
       L"Installing the Harrowmere Runtime - 100%"},
      {1500, 1000, 1000, nullptr, nullptr},
      // A maximum of 0 after a real percent: back to 0 and the short form.
      {5, 0, 0, L"Downloading the Harrowmere Runtime... 0%",
       L"Installing the Harrowmere Runtime - 0%"},
      {7, 0, 0, nullptr, nullptr},
      {1048575, 2097152, 490, L"Downloading the Harrowmere Runtime... 49%  (0 of 2 MB)",
       L"Installing the Harrowmere Runtime - 49%"},
      {240000000, 240000000, 1000, L"Downloading the Harrowmere Runtime... 100%  (228 of 228 MB)",
       L"Installing the Harrowmere Runtime - 100%"},
      {0x7FFFFFFF, 0xFFFFFFFF, 490, L"Downloading the Harrowmere Runtime... 49%  (2047 of 4095 MB)",
       L"Installing the Harrowmere Runtime - 49%"},
      {0xFFFFFFFF, 0xFFFFFFFF, 1000,
       L"Downloading the Harrowmere Runtime... 100%  (4095 of 4095 MB)",
       L"Installing the Harrowmere Runtime - 100%"},
      {0xFFFFFFFE, 0xFFFFFFFF, 990, L"Downloading the Harrowmere Runtime... 99%  (4095 of 4095 MB)",
       L"Installing the Harrowmere Runtime - 99%"},
      // Counts far past a tiny maximum: progress * 100 / max no longer fits 32 bits (2^32 + 4,
      // 0x63FFFFFF9C), and must still read as complete rather than 4 % or 0 %.
      {42949673, 1, 1000, L"Downloading the Harrowmere Runtime... 100%  (40 of 0 MB)",
       L"Installing the Harrowmere Runtime - 100%"},
      {0, 1, 0, L"Downloading the Harrowmere Runtime... 0%  (0 of 0 MB)",
       L"Installing the Harrowmere Runtime - 0%"},
      {0xFFFFFFFF, 1, 1000, L"Downloading the Harrowmere Runtime... 100%  (4095 of 0 MB)",
       L"Installing the Harrowmere Runtime - 100%"},
      {3000000000u, 2, 1000, nullptr, nullptr},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(testing::Message() << step.progress << " of " << step.max);
    SetWindowTextW(window_.status_label, kSentinel.c_str());
    SetWindowTextW(window_.frame, kSentinel.c_str());
    EXPECT_EQ(bsc()->OnProgress(step.progress, step.max, BINDSTATUS_DOWNLOADINGDATA, L"ignored"),
              S_OK);
    EXPECT_EQ(SendMessageW(window_.progress_bar, PBM_GETPOS, 0, 0), step.position);
    EXPECT_EQ(WindowText(window_.status_label), step.label ? step.label : kSentinel);
    EXPECT_EQ(WindowText(window_.frame), step.title ? step.title : kSentinel);
    EXPECT_EQ(window_.last_percent, step.position / 10);
  }
}

TEST_F(StatusCallbackTest, ProgressDrainsTheMessageQueue) {
  PostMessageW(window_.frame, WM_SETTEXT, 0, 0);
  PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0);
  bsc()->OnProgress(1, 2, BINDSTATUS_DOWNLOADINGDATA, nullptr);
  MSG left;
  EXPECT_FALSE(PeekMessageW(&left, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(StatusCallbackTest, AnswersForItsTwoInterfacesOnly) {
  struct Case {
    const IID* iid;
    HRESULT result;
    bool self;
  } cases[] = {
      {&IID_IUnknown, S_OK, true},
      {&IID_IBindStatusCallback, S_OK, true},
      {&IID_IHttpNegotiate, E_NOINTERFACE, false},
      {&IID_IAuthenticate, E_NOINTERFACE, false},
      {&IID_IBinding, E_NOINTERFACE, false},
  };
  LONG count = 1;
  for (const Case& c : cases) {
    void* object = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(bsc()->QueryInterface(*c.iid, &object), c.result);
    EXPECT_EQ(object, c.self ? static_cast<void*>(&callback_) : nullptr);
    if (c.self)
      ++count;
    EXPECT_EQ(callback_.ref_count, count);
  }
  EXPECT_EQ(bsc()->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
  EXPECT_EQ(callback_.ref_count, count);
}

TEST_F(StatusCallbackTest, ReferenceCountGoesDownToZeroAndFreesNothing) {
  EXPECT_EQ(bsc()->AddRef(), 2u);
  EXPECT_EQ(bsc()->AddRef(), 3u);
  EXPECT_EQ(bsc()->Release(), 2u);
  EXPECT_EQ(bsc()->Release(), 1u);
  EXPECT_EQ(bsc()->Release(), 0u);
  // Still whole: the record is its owner's, on the stack.
  EXPECT_EQ(callback_.methods, &kDownloadStatusCallbackMethods);
  EXPECT_EQ(callback_.window, &window_);
  EXPECT_EQ(bsc()->OnProgress(1, 1, BINDSTATUS_ENDDOWNLOADDATA, nullptr), S_OK);
  EXPECT_EQ(bsc()->AddRef(), 1u);
}

TEST_F(StatusCallbackTest, ReferenceCountIsAtomic) {
  constexpr int kThreads = 4, kEach = 20000;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([this] {
      for (int i = 0; i < kEach; ++i) {
        bsc()->AddRef();
        bsc()->AddRef();
        bsc()->Release();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(callback_.ref_count, 1 + kThreads * kEach);
}

TEST_F(StatusCallbackTest, OtherNotificationsSucceedAndTouchNothing) {
  LONG priority = 7;
  EXPECT_EQ(bsc()->GetPriority(&priority), S_OK);
  EXPECT_EQ(priority, THREAD_PRIORITY_NORMAL);
  EXPECT_EQ(bsc()->GetPriority(nullptr), S_OK);

  // The download's own bind flags and BINDINFO must come back as they were handed over.
  DWORD flags = 0xA5A5A5A5;
  BINDINFO info = {};
  info.cbSize = sizeof info;
  info.dwBindVerb = BINDVERB_GET;
  BINDINFO before = info;
  EXPECT_EQ(bsc()->GetBindInfo(&flags, &info), S_OK);
  EXPECT_EQ(flags, 0xA5A5A5A5u);
  EXPECT_EQ(std::memcmp(&info, &before, sizeof info), 0);

  EXPECT_EQ(bsc()->OnStartBinding(0, nullptr), S_OK);
  EXPECT_EQ(bsc()->OnLowResource(0), S_OK);
  EXPECT_EQ(bsc()->OnStopBinding(E_FAIL, L"error"), S_OK);
  EXPECT_EQ(bsc()->OnDataAvailable(BSCF_LASTDATANOTIFICATION, 10, nullptr, nullptr), S_OK);
  EXPECT_EQ(bsc()->OnObjectAvailable(IID_IUnknown, nullptr), S_OK);
  EXPECT_EQ(callback_.ref_count, 1);
  EXPECT_EQ(window_.last_percent, -1);
  EXPECT_EQ(WindowText(window_.frame), L"Installing the Harrowmere Runtime");
}

TEST(StatusCallbackWithoutWindowTest, ProgressStillDrainsTheQueue) {
  ProgressWindow none = {};
  DownloadStatusCallback callback = MakeDownloadStatusCallback(&none);
  PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0);
  EXPECT_EQ(AsInterface(callback)->OnProgress(3, 4, BINDSTATUS_DOWNLOADINGDATA, nullptr), S_OK);
  EXPECT_EQ(none.last_percent, 75);
  MSG left;
  EXPECT_FALSE(PeekMessageW(&left, nullptr, 0, 0, PM_NOREMOVE));
}

}  // namespace
}  // namespace ormix
