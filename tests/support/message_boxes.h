// Finding and answering the message boxes of another process.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace ormix::test {

struct FoundBox {
  HWND window;
  std::wstring caption;
  std::wstring text;  // the box's message, from its static control 65535
};

// The visible dialog-class windows (#32770) that belong to the process.
std::vector<FoundBox> FindMessageBoxes(DWORD process_id);

// Presses the button with this identifier, as a click would.
void PressButton(HWND box, int button_id);

// A window's text (a top-level window's title, a control's contents).
std::wstring WindowText(HWND window);

// Top-level windows of the process with this class name.
std::vector<HWND> FindWindowsOfClass(DWORD process_id, const wchar_t* class_name);

}  // namespace ormix::test
