#include "support/message_boxes.h"

namespace ormix::test {
namespace {

struct Search {
  DWORD process_id;
  const wchar_t* class_name;
  std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->process_id || !IsWindowVisible(window))
    return TRUE;
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (lstrcmpW(name, search->class_name) == 0)
    search->found.push_back(window);
  return TRUE;
}

}  // namespace

std::wstring WindowText(HWND window) {
  wchar_t text[4096] = {};
  GetWindowTextW(window, text, 4096);
  return text;
}

std::vector<HWND> FindWindowsOfClass(DWORD process_id, const wchar_t* class_name) {
  Search search{process_id, class_name, {}};
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<FoundBox> FindMessageBoxes(DWORD process_id) {
  std::vector<FoundBox> boxes;
  for (HWND window : FindWindowsOfClass(process_id, L"#32770")) {
    HWND message = GetDlgItem(window, 0xFFFF);
    boxes.push_back({window, WindowText(window), message ? WindowText(message) : L""});
  }
  return boxes;
}

void PressButton(HWND box, int button_id) {
  HWND button = GetDlgItem(box, button_id);
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(button_id, BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

}  // namespace ormix::test
