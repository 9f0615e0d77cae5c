// The progress window. Sizes are pixels: the manifest declares no DPI awareness, so Windows
// scales the window on high-DPI screens, and no common controls version 6, so the controls draw
// without visual styles.
#include "bootstrap/progress_window.h"

#include <commctrl.h>

#include <initializer_list>

#include "common/runtime_family.h"
#include "common/system_library.h"
#include "common/text_format.h"

namespace ormix {
namespace {

constexpr int kFrameWidth = 440;  // outer size, caption and borders included
constexpr int kFrameHeight = 150;
constexpr int kBarSteps = 1000;  // ten steps per percent

void SetFormattedText(HWND window, const wchar_t* format, std::initializer_list<FormatArg> args) {
  wchar_t text[kWindowTextCapacity];
  FormatInto(text, kWindowTextCapacity, format, args);
  SetWindowTextW(window, text);
}

// comctl32 registers the progress bar's class. Its result does not matter: without the class the
// bar is simply not created, and the window still shows its text.
void InitProgressBarClass() {
  using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  auto init = LoadSystemFunction<InitFunction>(L"comctl32.dll", "InitCommonControlsEx");
  if (init == nullptr)
    return;
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
  init(&controls);
}

void RegisterProgressWindowClass(HINSTANCE instance) {
  WNDCLASSW window_class = {};
  window_class.lpfnWndProc = ProgressWindowProc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  window_class.lpszClassName = kProgressWindowClass;
  // A second window in the same process finds the class registered already and reuses it.
  RegisterClassW(&window_class);
}

HWND CreateChild(const wchar_t* class_name, const wchar_t* text, int x, int y, int width,
                 int height, HWND parent, HINSTANCE instance) {
  return CreateWindowExW(0, class_name, text, WS_CHILD | WS_VISIBLE, x, y, width, height, parent,
                         nullptr, instance, nullptr);
}

}  // namespace

int CreateProgressWindow(ProgressWindow* window, const char* caption) {
  InitProgressBarClass();
  HINSTANCE instance = GetModuleHandleW(nullptr);
  RegisterProgressWindowClass(instance);
  window->caption = caption;
  window->last_percent = -1;

  wchar_t title[kWindowTextCapacity];
  Format(title, L"Installing the Harrowmere Runtime");
  // Centred on the primary screen; a screen smaller than the window gives a negative position.
  int x = (GetSystemMetrics(SM_CXSCREEN) - kFrameWidth) / 2;
  int y = (GetSystemMetrics(SM_CYSCREEN) - kFrameHeight) / 2;
  window->frame =
      CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | WS_EX_CONTROLPARENT,
                      kProgressWindowClass, title, WS_VISIBLE | WS_CAPTION | WS_SYSMENU, x, y,
                      kFrameWidth, kFrameHeight, nullptr, nullptr, instance, nullptr);
  if (window->frame == nullptr)
    return -1;

  wchar_t label[kWindowTextCapacity];
  Format(label, L"Preparing to download the shared runtime...");
  window->status_label = CreateChild(L"STATIC", label, 16, 16, 400, 40, window->frame, instance);
  window->progress_bar =
      CreateChild(PROGRESS_CLASSW, nullptr, 16, 64, 400, 22, window->frame, instance);
  SendMessageW(window->progress_bar, PBM_SETRANGE32, 0, kBarSteps);
  // Not drawn by the bar; screen readers announce it.
  SetFormattedText(window->progress_bar, L"Runtime download progress", {});

  ShowWindow(window->frame, SW_SHOW);
  UpdateWindow(window->frame);
  PumpPendingMessages();
  return 0;
}

LRESULT CALLBACK ProgressWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  // The close box, Alt+F4 and the system menu's Close all arrive here. The download cannot be
  // cancelled, so closing would only hide a transfer that goes on.
  if (message == WM_CLOSE)
    return 0;
  return DefWindowProcW(window, message, wparam, lparam);
}

void PumpPendingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

int DownloadPercent(ULONG progress, ULONG progress_max) {
  if (progress_max == 0)
    return 0;
  unsigned long long percent = static_cast<unsigned long long>(progress) * 100 / progress_max;
  // Clamped while still 64 bits wide: a count far past the maximum would otherwise narrow to a
  // small or negative number and show as a download that has barely begun.
  return percent > 100 ? 100 : static_cast<int>(percent);
}

void ShowDownloadProgress(ProgressWindow& window, ULONG progress, ULONG progress_max) {
  int percent = DownloadPercent(progress, progress_max);
  SendMessageW(window.progress_bar, PBM_SETPOS, static_cast<WPARAM>(percent) * 10, 0);
  // Notifications come many times per percent; the texts are only rewritten when it changes.
  if (percent == window.last_percent)
    return;
  window.last_percent = percent;
  if (progress_max != 0) {
    // Whole mebibytes, rounded down; users know them as MB.
    SetFormattedText(window.status_label,
                     L"Downloading the Harrowmere Runtime... %d%%  (%lu of %lu MB)",
                     {percent, progress >> 20, progress_max >> 20});
  } else {
    SetFormattedText(window.status_label, L"Downloading the Harrowmere Runtime... %d%%", {percent});
  }
  SetFormattedText(window.frame, L"Installing the Harrowmere Runtime - %d%%", {percent});
}

}  // namespace ormix
