// Finding and answering message boxes, of another process or of this one, and reading windows.
#pragma once

#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace ormix::test {

struct FoundBox {
  HWND window;
  std::wstring caption;
  std::wstring text;  // the box's message, from its static control 65535
};

struct BoxSeen {
  std::wstring caption;
  std::wstring text;
  ULONGLONG seen_at = 0;  // GetTickCount64 when the box was first seen
};

// Returns the button to press (IDOK, IDYES, IDNO...).
using BoxAnswer = std::function<int(const BoxSeen&)>;

// The visible dialog-class windows (#32770) that belong to the process.
std::vector<FoundBox> FindMessageBoxes(DWORD process_id);

// Answers each box of the process that is not in `answered` yet, adds it there, and returns what
// the new boxes said. A box without the answer's button gets OK, or else No, or else Cancel.
// Boxes that have gone leave `answered`, since their handles may be reused.
std::vector<BoxSeen> AnswerNewBoxes(DWORD process_id, std::set<HWND>& answered,
                                    const BoxAnswer& answer);

// Presses the button with this identifier, as a click would.
void PressButton(HWND box, int button_id);

// A window's text (a top-level window's title, a control's contents).
std::wstring WindowText(HWND window);

// A window's class name.
std::wstring ClassName(HWND window);

// Top-level windows of the process with this class name.
std::vector<HWND> FindWindowsOfClass(DWORD process_id, const wchar_t* class_name);

}  // namespace ormix::test
