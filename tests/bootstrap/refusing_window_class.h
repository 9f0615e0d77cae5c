// Stands in for a progress window that cannot be made: registers the progress window's class with
// a procedure that refuses every creation, and takes it away again when the test ends.
#pragma once

#include <windows.h>

#include "bootstrap/progress_window.h"
#include "common/runtime_family.h"

namespace ormix::test {

class RefusingWindowClass {
 public:
  RefusingWindowClass() {
    WNDCLASSW refusing = {};
    refusing.lpfnWndProc = Refuse;
    refusing.hInstance = GetModuleHandleW(nullptr);
    refusing.lpszClassName = kProgressWindowClass;
    registered_ = RegisterClassW(&refusing) != 0;
  }
  ~RefusingWindowClass() {
    if (registered_)
      UnregisterClassW(kProgressWindowClass, GetModuleHandleW(nullptr));
  }
  RefusingWindowClass(const RefusingWindowClass&) = delete;
  RefusingWindowClass& operator=(const RefusingWindowClass&) = delete;

  bool registered() const { return registered_; }

 private:
  static LRESULT CALLBACK Refuse(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE)
      return FALSE;
    return DefWindowProcW(window, message, wparam, lparam);
  }

  bool registered_ = false;
};

}  // namespace ormix::test
