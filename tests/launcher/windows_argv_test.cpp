// The launcher's quoting against the real CommandLineToArgvW, and the written-down splitting rules
// that the native build and the fuzzers use in its place, held against the real one.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "launcher/argument_samples.h"
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

std::wstring Build(const std::vector<std::wstring>& args) {
  std::vector<const wchar_t*> pointers;
  for (const std::wstring& arg : args) pointers.push_back(arg.c_str());
  wchar_t* line = BuildCommandLine(pointers.data(), static_cast<int>(pointers.size()));
  std::wstring result = line ? line : L"";
  std::free(line);
  return result;
}

TEST(WindowsArgvTest, LauncherLinesSplitBackByCommandLineToArgvW) {
  std::mt19937 random(20261210);
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::wstring> args = test::RandomArguments(random);
    std::wstring line = Build(args);
    ASSERT_EQ(SplitByWindows(line), args) << "line: " << testing::PrintToString(line);
  }
}

TEST(WindowsArgvTest, WrittenRulesAgreeWithCommandLineToArgvW) {
  std::mt19937 random(7);
  for (int round = 0; round < 20000; ++round) {
    std::wstring line =
        round % 2 ? Build(test::RandomArguments(random)) : test::RandomCommandLine(random);
    ASSERT_EQ(test::SplitWindowsCommandLine(line), SplitByWindows(line))
        << "line: " << testing::PrintToString(line);
  }
}

}  // namespace
}  // namespace ormix
