// The progress window. Sizes are pixels: the manifest declares no DPI awareness, so Windows
// scales the window on high-DPI screens, and no common controls version 6, so the controls draw
// without visual styles.
#include "bootstrap/progress_window.h"

#include <commctrl.h>

#include <cstring>
#include <initializer_list>

#include "common/runtime_family.h"
#include "common/system_library.h"
#include "common/text_format.h"

namespace ormix {
namespace {

constexpr int kFrameWidth = 440;  // outer size, caption and borders included
constexpr int kFrameHeight = 150;
constexpr int kBarSteps = 1000;  // ten steps per percent

// What the window needs of USER32, bound from System32 on first use rather than imported: most
// launches show no window, and loading USER32 at every start is a good part of what a launch
// costs.
struct WindowFunctions {
  decltype(&::RegisterClassW) register_class;
  decltype(&::CreateWindowExW) create_window;
  decltype(&::GetSystemMetrics) get_system_metrics;
  decltype(&::LoadCursorW) load_cursor;
  decltype(&::ShowWindow) show_window;
  decltype(&::UpdateWindow) update_window;
  decltype(&::SetWindowTextW) set_window_text;
  decltype(&::SendMessageW) send_message;
  decltype(&::PeekMessageW) peek_message;
  decltype(&::TranslateMessage) translate_message;
  decltype(&::DispatchMessageW) dispatch_message;
  decltype(&::DefWindowProcW) def_window_proc;
  decltype(&::DestroyWindow) destroy_window;
};

// The names of the functions above, in the members' order, one after another.
constexpr char kWindowFunctionNames[] =
    "RegisterClassW\0CreateWindowExW\0GetSystemMetrics\0LoadCursorW\0ShowWindow\0UpdateWindow\0"
    "SetWindowTextW\0SendMessageW\0PeekMessageW\0TranslateMessage\0DispatchMessageW\0"
    "DefWindowProcW\0DestroyWindow";
constexpr std::size_t kWindowFunctionCount = sizeof(WindowFunctions) / sizeof(FARPROC);

// The table, or null when USER32 or one of its functions cannot be had; tried once.
const WindowFunctions* User32() {
  static WindowFunctions functions;
  static int state = 0;  // 0 not tried yet, 1 bound, -1 failed
  if (state == 0) {
    state = -1;
    HMODULE user32 = LoadSystemLibrary(L"user32.dll");
    FARPROC found[kWindowFunctionCount];
    const char* name = kWindowFunctionNames;
    for (FARPROC& proc : found) {
      proc = user32 != nullptr ? FindSystemFunction<FARPROC>(user32, name) : nullptr;
      if (proc == nullptr)
        return nullptr;
      name += std::strlen(name) + 1;
    }
    // Every member is a function pointer of FARPROC's size, so the found addresses are the
    // table's bytes.
    std::memcpy(&functions, found, sizeof functions);
    state = 1;
  }
  return state == 1 ? &functions : nullptr;
}

void SetFormattedText(const WindowFunctions& user32, HWND window, const wchar_t* format,
                      std::initializer_list<FormatArg> args) {
  wchar_t text[kWindowTextCapacity];
  FormatInto(text, kWindowTextCapacity, format, args);
  user32.set_window_text(window, text);
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

void RegisterProgressWindowClass(const WindowFunctions& user32, HINSTANCE instance) {
  WNDCLASSW window_class = {};
  window_class.lpfnWndProc = ProgressWindowProc;
  window_class.hInstance = instance;
  window_class.hCursor = user32.load_cursor(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  window_class.lpszClassName = kProgressWindowClass;
  // A second window in the same process finds the class registered already and reuses it.
  user32.register_class(&window_class);
}

HWND CreateChild(const WindowFunctions& user32, const wchar_t* class_name, const wchar_t* text,
                 int x, int y, int width, int height, HWND parent, HINSTANCE instance) {
  return user32.create_window(0, class_name, text, WS_CHILD | WS_VISIBLE, x, y, width, height,
                              parent, nullptr, instance, nullptr);
}

}  // namespace

int CreateProgressWindow(ProgressWindow* window, const char* caption) {
  const WindowFunctions* user32 = User32();
  if (user32 == nullptr)
    return -1;
  InitProgressBarClass();
  HINSTANCE instance = GetModuleHandleW(nullptr);
  RegisterProgressWindowClass(*user32, instance);
  window->caption = caption;
  window->last_percent = -1;

  wchar_t title[kWindowTextCapacity];
  Format(title, L"Installing the Harrowmere Runtime");
  // Centred on the primary screen; a screen smaller than the window gives a negative position.
  int x = (user32->get_system_metrics(SM_CXSCREEN) - kFrameWidth) / 2;
  int y = (user32->get_system_metrics(SM_CYSCREEN) - kFrameHeight) / 2;
  window->frame =
      user32->create_window(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | WS_EX_CONTROLPARENT,
                            kProgressWindowClass, title, WS_VISIBLE | WS_CAPTION | WS_SYSMENU, x, y,
                            kFrameWidth, kFrameHeight, nullptr, nullptr, instance, nullptr);
  if (window->frame == nullptr)
    return -1;

  wchar_t label[kWindowTextCapacity];
  Format(label, L"Preparing to download the shared runtime...");
  window->status_label =
      CreateChild(*user32, L"STATIC", label, 16, 16, 400, 40, window->frame, instance);
  window->progress_bar =
      CreateChild(*user32, PROGRESS_CLASSW, nullptr, 16, 64, 400, 22, window->frame, instance);
  user32->send_message(window->progress_bar, PBM_SETRANGE32, 0, kBarSteps);
  // Not drawn by the bar; screen readers announce it.
  SetFormattedText(*user32, window->progress_bar, L"Runtime download progress", {});

  user32->show_window(window->frame, SW_SHOW);
  user32->update_window(window->frame);
  PumpPendingMessages();
  return 0;
}

LRESULT CALLBACK ProgressWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  // The close box, Alt+F4 and the system menu's Close all arrive here. The download cannot be
  // cancelled, so closing would only hide a transfer that goes on.
  if (message == WM_CLOSE)
    return 0;
  // Bound already: the class was registered through the same table.
  return User32()->def_window_proc(window, message, wparam, lparam);
}

void PumpPendingMessages() {
  const WindowFunctions* user32 = User32();
  if (user32 == nullptr)
    return;
  MSG message;
  while (user32->peek_message(&message, nullptr, 0, 0, PM_REMOVE)) {
    user32->translate_message(&message);
    user32->dispatch_message(&message);
  }
}

void CloseProgressWindow(ProgressWindow& window) {
  if (window.frame != nullptr) {
    User32()->destroy_window(window.frame);
    window.frame = nullptr;
  }
  PumpPendingMessages();
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
  const WindowFunctions* user32 = User32();
  if (user32 == nullptr)
    return;
  int percent = DownloadPercent(progress, progress_max);
  user32->send_message(window.progress_bar, PBM_SETPOS, static_cast<WPARAM>(percent) * 10, 0);
  // Notifications come many times per percent; the texts are only rewritten when it changes.
  if (percent == window.last_percent)
    return;
  window.last_percent = percent;
  if (progress_max != 0) {
    // Whole mebibytes, rounded down; users know them as MB.
    SetFormattedText(*user32, window.status_label,
                     L"Downloading the Harrowmere Runtime... %d%%  (%lu of %lu MB)",
                     {percent, progress >> 20, progress_max >> 20});
  } else {
    SetFormattedText(*user32, window.status_label, L"Downloading the Harrowmere Runtime... %d%%",
                     {percent});
  }
  SetFormattedText(*user32, window.frame, L"Installing the Harrowmere Runtime - %d%%", {percent});
}

}  // namespace ormix
