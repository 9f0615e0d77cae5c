#include "support/message_boxes.h"

#include <iterator>

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
  if (ClassName(window) == search->class_name)
    search->found.push_back(window);
  return TRUE;
}

}  // namespace

std::wstring WindowText(HWND window) {
  wchar_t text[4096] = {};
  GetWindowTextW(window, text, 4096);
  return text;
}

std::wstring ClassName(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
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

std::vector<BoxSeen> AnswerNewBoxes(DWORD process_id, std::set<HWND>& answered,
                                    const BoxAnswer& answer) {
  std::vector<BoxSeen> seen;
  for (const FoundBox& box : FindMessageBoxes(process_id)) {
    if (!answered.insert(box.window).second)
      continue;
    seen.push_back({box.caption, box.text, GetTickCount64()});
    int button = answer(seen.back());
    for (int fallback : {IDOK, IDNO, IDCANCEL}) {
      if (GetDlgItem(box.window, button) != nullptr)
        break;
      button = fallback;
    }
    PressButton(box.window, button);
  }
  for (auto it = answered.begin(); it != answered.end();) {
    it = IsWindow(*it) ? std::next(it) : answered.erase(it);
  }
  return seen;
}

void PressButton(HWND box, int button_id) {
  HWND button = GetDlgItem(box, button_id);
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(button_id, BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

}  // namespace ormix::test
