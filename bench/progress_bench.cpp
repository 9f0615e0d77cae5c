// OnProgress under a stream of notifications against a real window: the bar moves on every
// call, the texts are rewritten only when the whole percent changes. Counting WM_SETTEXT on the
// label shows the second part, timing shows what a notification costs.
#include "bench/progress_bench.h"

#include <windows.h>

#include <cstdio>

#include "bootstrap/progress_window.h"
#include "bootstrap/status_callback.h"

namespace ormix::bench {
namespace {

WNDPROC original_label_proc = nullptr;
long label_rewrites = 0;

LRESULT CALLBACK CountingLabelProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_SETTEXT)
    ++label_rewrites;
  return CallWindowProcW(original_label_proc, window, message, wparam, lparam);
}

}  // namespace

void PrintProgressBench(double (*now)()) {
  ProgressWindow window = {};
  if (CreateProgressWindow(&window, "Ormix Converter") != 0) {
    printf("| OnProgress, 100,000 notifications | not measured: no window could be created | |\n");
    return;
  }
  original_label_proc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      window.status_label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingLabelProc)));
  DownloadStatusCallback callback = MakeDownloadStatusCallback(&window);

  // A 240,000,000-byte download reported in 100,000 even steps.
  const ULONG total = 240000000;
  const int notifications = 100000;
  double start = now();
  for (int i = 1; i <= notifications; ++i) {
    ULONG progress = static_cast<ULONG>(static_cast<unsigned long long>(total) * i / notifications);
    callback.methods->OnProgress(&callback, progress, total, 5, nullptr);
  }
  double elapsed = now() - start;
  long rewrites = label_rewrites;
  DestroyWindow(window.frame);
  PumpPendingMessages();
  printf(
      "| OnProgress, %d notifications of a 240 MB download | %.2f us each (%.0f ms in all) | "
      "label rewritten %ld times: once per whole percent |\n",
      notifications, elapsed * 1000.0 / notifications, elapsed, rewrites);
}

}  // namespace ormix::bench
