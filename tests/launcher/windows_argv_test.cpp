// The launcher's quoting against the real CommandLineToArgvW, and the written-down splitting rules
// that the native build and the fuzzers use in its place, held against the real one.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/argument_samples.h"
#include "support/launcher_command_line.h"
#include "launcher/command_line.h"
#include "support/windows_argv.h"

namespace ormix {
namespace {

std::vector<std::wstring> SplitByWindows(const std::wstring& line) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(line.c_str(), &argc);
  std::vector<std::wstring> args(argv, argv + argc);
  LocalFree(argv);
  return args;
}

TEST(WindowsArgvTest, LauncherLinesSplitBackByCommandLineToArgvW) {
  std::mt19937 random(20261210);
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::wstring> args = test::RandomArguments(random);
    std::wstring line = test::LauncherCommandLine(args);
    ASSERT_EQ(SplitByWindows(line), args) << "line: " << testing::PrintToString(line);
  }
}

TEST(WindowsArgvTest, WrittenRulesAgreeWithCommandLineToArgvW) {
  std::mt19937 random(7);
  for (int round = 0; round < 20000; ++round) {
    std::wstring line = round % 2 ? test::LauncherCommandLine(test::RandomArguments(random))
                                  : test::RandomCommandLine(random);
    ASSERT_EQ(test::SplitWindowsCommandLine(line), SplitByWindows(line))
        << "line: " << testing::PrintToString(line);
  }
}

}  // namespace
}  // namespace ormix
