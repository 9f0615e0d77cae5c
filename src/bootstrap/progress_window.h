// The window shown while the runtime's installer downloads: a title, one line of status text and
// a progress bar, always on top, which the user cannot close.
#pragma once

#include <windows.h>

#include "common/limits.h"

namespace ormix {

// Owned by the caller, which zero-fills it before CreateProgressWindow.
struct ProgressWindow {
  HWND frame;           // the top-level window; null until created and again once destroyed
  HWND progress_bar;    // range 0 to 1000, ten steps per percent; null until created
  HWND status_label;    // the text above the bar; null until created
  const char* caption;  // the product's display name, not owned
  int last_percent;     // the whole percent last written into the texts; -1 until the first
};

// Fills the record and shows the window. 0, or -1 when the top-level window cannot be created
// (all three handles then stay null and the download goes on without a window).
int CreateProgressWindow(ProgressWindow* window, const char* caption);

// The class's window procedure: the window ignores WM_CLOSE, only its owner destroys it.
LRESULT CALLBACK ProgressWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Dispatches every message waiting in the thread's queue, then returns without waiting.
void PumpPendingMessages();

// Destroys the window when there is one (its controls go with it), sets frame to null, then
// dispatches what is left in the queue.
void CloseProgressWindow(ProgressWindow& window);

// The whole percent of progress out of progress_max (byte counts), 0 to 100; 0 for a maximum
// of 0.
int DownloadPercent(ULONG progress, ULONG progress_max);

// Moves the bar on every call; rewrites the label and the title only when the whole percent
// differs from the one they show.
void ShowDownloadProgress(ProgressWindow& window, ULONG progress, ULONG progress_max);

}  // namespace ormix
