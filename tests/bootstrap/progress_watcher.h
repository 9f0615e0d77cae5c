// Watches, from the test's side, the progress window of a launcher run: every distinct state of
// its title and label while it exists, and optionally one screenshot of it mid-download.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace ormix::test {

struct ProgressState {
  std::wstring title;
  std::wstring label;
};

struct ProgressWindowFacts {
  bool seen = false;
  RECT rect = {};  // screen coordinates
  LONG style = 0, ex_style = 0;
  std::vector<ProgressState> states;  // in order, each differing from the one before
};

class ProgressWatcher {
 public:
  // Watches the progress window of the process whose image is launcher_path. A non-empty
  // screenshot_path gets a .bmp of the window once its title shows at least 40 %.
  explicit ProgressWatcher(const std::string& launcher_path, std::string screenshot_path = "");
  ~ProgressWatcher();
  ProgressWatcher(const ProgressWatcher&) = delete;
  ProgressWatcher& operator=(const ProgressWatcher&) = delete;

  // Waits until the window is gone (or the watch gave up) and returns what was seen.
  ProgressWindowFacts Finish();

 private:
  void Watch();

  std::wstring launcher_;
  std::string screenshot_;
  std::atomic<bool> stop_{false};
  ProgressWindowFacts facts_;
  std::thread thread_;
};

// The percent in a title "Installing the Harrowmere Runtime - N%", or -1.
int TitlePercent(const std::wstring& title);

// Writes the screen's pixels under rect to a 24-bit .bmp file.
bool SaveScreenRect(const RECT& rect, const std::string& path);

}  // namespace ormix::test
