// The progress window as the user meets it: its class, frame, controls and the close box that
// does nothing; and the queue drain that keeps it painted.
#include "bootstrap/progress_window.h"
#include "common/runtime_family.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "refusing_window_class.h"
#include "support/message_boxes.h"

namespace ormix {
namespace {

using test::ClassName;
using test::WindowText;

// A child's rectangle in its parent's client coordinates.
RECT ChildRect(HWND child) {
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void ExpectRect(const RECT& rect, int x, int y, int width, int height) {
  EXPECT_EQ(rect.left, x);
  EXPECT_EQ(rect.top, y);
  EXPECT_EQ(rect.right - rect.left, width);
  EXPECT_EQ(rect.bottom - rect.top, height);
}

class ProgressWindowTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (window_.frame != nullptr)
      DestroyWindow(window_.frame);
    PumpPendingMessages();
  }
  ProgressWindow window_ = {};
};

TEST_F(ProgressWindowTest, CreatesTheCentredFrameWithItsLabelAndBar) {
  const char* caption = "Ormix Converter";
  ASSERT_EQ(CreateProgressWindow(&window_, caption), 0);
  ASSERT_NE(window_.frame, nullptr);
  ASSERT_NE(window_.status_label, nullptr);
  ASSERT_NE(window_.progress_bar, nullptr);
  EXPECT_EQ(window_.caption, caption);
  EXPECT_EQ(window_.last_percent, -1);

  EXPECT_EQ(ClassName(window_.frame), kProgressWindowClass);
  EXPECT_EQ(WindowText(window_.frame), L"Installing the Harrowmere Runtime");
  EXPECT_TRUE(IsWindowVisible(window_.frame));
  // Windows adds bits of its own (clip siblings, window edge); only ours are checked.
  LONG style = GetWindowLongW(window_.frame, GWL_STYLE);
  const LONG kFrameBits =
      WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  EXPECT_EQ(style & kFrameBits, WS_VISIBLE | WS_CAPTION | WS_SYSMENU);
  LONG ex_style = GetWindowLongW(window_.frame, GWL_EXSTYLE);
  const LONG kExBits = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | WS_EX_CONTROLPARENT;
  EXPECT_EQ(ex_style & kExBits, kExBits);
  RECT frame;
  GetWindowRect(window_.frame, &frame);
  ExpectRect(frame, (GetSystemMetrics(SM_CXSCREEN) - 440) / 2,
             (GetSystemMetrics(SM_CYSCREEN) - 150) / 2, 440, 150);

  EXPECT_EQ(GetParent(window_.status_label), window_.frame);
  EXPECT_EQ(ClassName(window_.status_label), L"Static");
  // No SS_ bits: left-aligned text that wraps.
  EXPECT_EQ(GetWindowLongW(window_.status_label, GWL_STYLE), WS_CHILD | WS_VISIBLE);
  EXPECT_EQ(GetWindowLongW(window_.status_label, GWL_ID), 0);
  EXPECT_EQ(WindowText(window_.status_label), L"Preparing to download the shared runtime...");
  ExpectRect(ChildRect(window_.status_label), 16, 16, 400, 40);

  EXPECT_EQ(GetParent(window_.progress_bar), window_.frame);
  EXPECT_EQ(ClassName(window_.progress_bar), L"msctls_progress32");
  EXPECT_EQ(GetWindowLongW(window_.progress_bar, GWL_STYLE), WS_CHILD | WS_VISIBLE);
  EXPECT_EQ(WindowText(window_.progress_bar), L"Runtime download progress");
  ExpectRect(ChildRect(window_.progress_bar), 16, 64, 400, 22);
  PBRANGE range = {};
  SendMessageW(window_.progress_bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
  EXPECT_EQ(range.iLow, 0);
  EXPECT_EQ(range.iHigh, 1000);
  EXPECT_EQ(SendMessageW(window_.progress_bar, PBM_GETPOS, 0, 0), 0);
}

TEST_F(ProgressWindowTest, ClassIsRegisteredAsTheWindowNeedsIt) {
  ASSERT_EQ(CreateProgressWindow(&window_, "x"), 0);
  WNDCLASSW info = {};
  ASSERT_TRUE(GetClassInfoW(GetModuleHandleW(nullptr), kProgressWindowClass, &info));
  EXPECT_EQ(info.style, 0u);
  EXPECT_EQ(info.lpfnWndProc, &ProgressWindowProc);
  EXPECT_EQ(info.cbClsExtra, 0);
  EXPECT_EQ(info.cbWndExtra, 0);
  EXPECT_EQ(info.hIcon, nullptr);
  EXPECT_EQ(info.hCursor, LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_EQ(info.hbrBackground, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  EXPECT_EQ(info.lpszMenuName, nullptr);
}

TEST_F(ProgressWindowTest, EveryWayToCloseLeavesTheWindowOpen) {
  ASSERT_EQ(CreateProgressWindow(&window_, "x"), 0);
  EXPECT_EQ(SendMessageW(window_.frame, WM_CLOSE, 0, 0), 0);
  // The close box, Alt+F4 and the system menu's Close become SC_CLOSE, which becomes WM_CLOSE.
  SendMessageW(window_.frame, WM_SYSCOMMAND, SC_CLOSE, 0);
  PostMessageW(window_.frame, WM_CLOSE, 0, 0);
  PumpPendingMessages();
  EXPECT_TRUE(IsWindow(window_.frame));
  EXPECT_TRUE(IsWindowVisible(window_.frame));
  // Other messages take their default course.
  SendMessageW(window_.frame, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"renamed"));
  EXPECT_EQ(WindowText(window_.frame), L"renamed");
}

TEST_F(ProgressWindowTest, ASecondWindowInTheSameProcessIsANewWindow) {
  ASSERT_EQ(CreateProgressWindow(&window_, "first"), 0);
  ProgressWindow second = {};
  ASSERT_EQ(CreateProgressWindow(&second, "second"), 0);
  EXPECT_NE(second.frame, window_.frame);
  EXPECT_NE(second.progress_bar, nullptr);
  EXPECT_EQ(ClassName(second.frame), kProgressWindowClass);
  DestroyWindow(second.frame);
  EXPECT_TRUE(IsWindow(window_.frame));
}

TEST_F(ProgressWindowTest, FrameThatCannotBeCreatedLeavesEveryHandleNull) {
  test::RefusingWindowClass refusing;
  ASSERT_TRUE(refusing.registered());
  EXPECT_EQ(CreateProgressWindow(&window_, "x"), -1);
  EXPECT_EQ(window_.frame, nullptr);
  EXPECT_EQ(window_.status_label, nullptr);
  EXPECT_EQ(window_.progress_bar, nullptr);
  EXPECT_EQ(window_.last_percent, -1);
  // Progress on a window that does not exist changes nothing and does not fail.
  ShowDownloadProgress(window_, 5, 10);
  EXPECT_EQ(window_.last_percent, 50);
}

TEST_F(ProgressWindowTest, ClosingDestroysTheWindowAndDrainsTheQueue) {
  ASSERT_EQ(CreateProgressWindow(&window_, "x"), 0);
  HWND frame = window_.frame;
  HWND label = window_.status_label;
  PostMessageW(nullptr, WM_APP, 0, 0);
  CloseProgressWindow(window_);
  EXPECT_EQ(window_.frame, nullptr);
  EXPECT_FALSE(IsWindow(frame));
  EXPECT_FALSE(IsWindow(label));
  MSG left;
  EXPECT_FALSE(PeekMessageW(&left, nullptr, 0, 0, PM_NOREMOVE));
  // Without a window there is only the queue to drain.
  PostMessageW(nullptr, WM_APP, 0, 0);
  CloseProgressWindow(window_);
  EXPECT_FALSE(PeekMessageW(&left, nullptr, 0, 0, PM_NOREMOVE));
}

int g_dispatched = 0;

LRESULT CALLBACK CountAppMessages(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_APP)
    ++g_dispatched;
  return DefWindowProcW(window, message, wparam, lparam);
}

TEST(PumpPendingMessagesTest, DispatchesEverythingWaitingAndReturnsWhenTheQueueIsEmpty) {
  WNDCLASSW counting = {};
  counting.lpfnWndProc = CountAppMessages;
  counting.hInstance = GetModuleHandleW(nullptr);
  counting.lpszClassName = L"OrmixTestCounter";
  RegisterClassW(&counting);
  HWND window = CreateWindowExW(0, L"OrmixTestCounter", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  g_dispatched = 0;
  // A quit message is drained like any other; the launcher has no message loop to end.
  PostQuitMessage(0);
  for (int i = 0; i < 3; ++i) PostMessageW(window, WM_APP, 0, 0);
  PumpPendingMessages();
  EXPECT_EQ(g_dispatched, 3);
  MSG left;
  EXPECT_FALSE(PeekMessageW(&left, nullptr, 0, 0, PM_NOREMOVE));

  ULONGLONG start = GetTickCount64();
  PumpPendingMessages();
  EXPECT_LT(GetTickCount64() - start, 1000u);
  DestroyWindow(window);
}

}  // namespace
}  // namespace ormix
