#include "progress_watcher.h"

#include <cstdio>

#include "bootstrap/progress_window.h"
#include "common/runtime_family.h"
#include "support/message_boxes.h"
#include "support/process_run.h"

namespace ormix::test {
namespace {

bool IsProcessImage(DWORD process_id, const std::wstring& image) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id);
  if (process == nullptr)
    return false;
  wchar_t path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  BOOL ok = QueryFullProcessImageNameW(process, 0, path, &size);
  CloseHandle(process);
  return ok && CompareStringOrdinal(path, -1, image.c_str(), -1, TRUE) == CSTR_EQUAL;
}

HWND FindLauncherWindow(const std::wstring& launcher) {
  for (HWND window = nullptr;
       (window = FindWindowExW(nullptr, window, kProgressWindowClass, nullptr)) != nullptr;) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (IsProcessImage(owner, launcher))
      return window;
  }
  return nullptr;
}

}  // namespace

int TitlePercent(const std::wstring& title) {
  const std::wstring prefix = L"Installing the Harrowmere Runtime - ";
  if (title.rfind(prefix, 0) != 0 || title.back() != L'%')
    return -1;
  return std::stoi(title.substr(prefix.size()));
}

ProgressWatcher::ProgressWatcher(const std::string& launcher_path, std::string screenshot_path)
    : launcher_(Widen(launcher_path)),
      screenshot_(std::move(screenshot_path)),
      thread_([this] { Watch(); }) {}

ProgressWatcher::~ProgressWatcher() {
  stop_ = true;
  if (thread_.joinable())
    thread_.join();
}

ProgressWindowFacts ProgressWatcher::Finish() {
  if (thread_.joinable())
    thread_.join();
  return facts_;
}

void ProgressWatcher::Watch() {
  HWND frame = nullptr;
  ULONGLONG deadline = GetTickCount64() + 60000;
  while (frame == nullptr) {
    if (stop_ || GetTickCount64() > deadline)
      return;
    frame = FindLauncherWindow(launcher_);
    if (frame == nullptr)
      Sleep(2);
  }
  facts_.seen = true;
  GetWindowRect(frame, &facts_.rect);
  facts_.style = GetWindowLongW(frame, GWL_STYLE);
  facts_.ex_style = GetWindowLongW(frame, GWL_EXSTYLE);
  HWND label = nullptr;
  bool captured = screenshot_.empty();
  // The 100 % state lasts only until the download returns, so the texts are read without pause:
  // reading another process's window texts does not wait for that process.
  while (!stop_ && IsWindow(frame)) {
    // The frame exists a moment before its label.
    if (label == nullptr && (label = FindWindowExW(frame, nullptr, L"Static", nullptr)) == nullptr)
      continue;
    ProgressState state{WindowText(frame), WindowText(label)};
    // Read again after the texts: a destroyed window reads as empty. DestroyWindow takes the
    // label before the frame.
    if (!IsWindow(frame) || !IsWindow(label))
      break;
    if (facts_.states.empty() || state.title != facts_.states.back().title ||
        state.label != facts_.states.back().label) {
      facts_.states.push_back(state);
    }
    if (!captured && TitlePercent(state.title) >= 40) {
      // Once more painted: the label's new text reaches the screen with the next paint.
      Sleep(50);
      RECT rect;
      GetWindowRect(frame, &rect);
      captured = SaveScreenRect(rect, screenshot_);
    }
  }
}

bool SaveScreenRect(const RECT& rect, const std::string& path) {
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0)
    return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as a .bmp file stores its rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BOOL copied = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  GdiFlush();
  DWORD row = static_cast<DWORD>((width * 3 + 3) & ~3);
  DWORD image_size = row * static_cast<DWORD>(height);
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + image_size;
  bool saved = false;
  if (copied) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out != nullptr) {
      saved = std::fwrite(&file, sizeof file, 1, out) == 1 &&
              std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
              std::fwrite(bits, 1, image_size, out) == image_size;
      std::fclose(out);
    }
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return saved;
}

}  // namespace ormix::test
