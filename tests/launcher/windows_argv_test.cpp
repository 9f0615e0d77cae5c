// The launcher's splitting and quoting of command lines against the real CommandLineToArgvW: the
// splitter must read every line as Windows does, the program name included, and every line the
// launcher builds must split back into its vector.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/argument_samples.h"
#include "support/launcher_command_line.h"
#include "launcher/command_line.h"
#include "launcher/launcher_main.h"

namespace ormix {
namespace {

std::vector<std::wstring> SplitByWindows(const std::wstring& line) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(line.c_str(), &argc);
  std::vector<std::wstring> args(argv, argv + argc);
  LocalFree(argv);
  return args;
}

std::vector<std::wstring> Vector(wchar_t** block, int count) {
  std::vector<std::wstring> args(block, block + count);
  EXPECT_EQ(block[count], nullptr) << "the vector ends in a null entry";
  std::free(block);
  return args;
}

std::wstring OwnPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

std::vector<std::wstring> SplitByLauncher(const std::wstring& line) {
  int count = -1;
  wchar_t** block = SplitCommandLine(line.c_str(), OwnPath().c_str(), &count);
  if (block == nullptr) {
    ADD_FAILURE() << "no block";
    return {};
  }
  return Vector(block, count);
}

TEST(WindowsArgvTest, SplitsAsCommandLineToArgvW) {
  std::mt19937 random(7);
  for (int round = 0; round < 20000; ++round) {
    std::wstring line = round % 2 ? test::LauncherCommandLine(test::RandomArguments(random))
                                  : test::RandomCommandLine(random);
    ASSERT_EQ(SplitByLauncher(line), SplitByWindows(line))
        << "line: " << testing::PrintToString(line);
  }
}

// The lines that take the program name's own rules and the empty line's answer.
TEST(WindowsArgvTest, ProgramNameAndEmptyLineAsCommandLineToArgvW) {
  const wchar_t* lines[] = {
      L"",
      L" ",
      L"\t a",
      L"\"\"",
      L"\"",
      L"\"C:\\Program Files\\a.exe\"b c",
      L"\"C:\\dir\\\" x",
      L"C:\\dir\\\"a b\" c",
      L"a\\\\\"b c\"",
      L"a\nb c",
      L"a\vb\fc\rd e",
      L"\"a\"\"b\" c",
      L"\"unterminated program",
  };
  for (const wchar_t* line : lines) {
    EXPECT_EQ(SplitByLauncher(line), SplitByWindows(line)) << testing::PrintToString(line);
  }
}

TEST(WindowsArgvTest, OwnCommandLineSplitsAsCommandLineToArgvW) {
  int count = -1;
  wchar_t** block = SplitLauncherCommandLine(&count);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(Vector(block, count), SplitByWindows(GetCommandLineW()));
}

TEST(WindowsArgvTest, LauncherLinesSplitBackByCommandLineToArgvW) {
  std::mt19937 random(20261210);
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::wstring> args = test::RandomArguments(random);
    std::wstring line = test::LauncherCommandLine(args);
    ASSERT_EQ(SplitByWindows(line), args) << "line: " << testing::PrintToString(line);
  }
}

}  // namespace
}  // namespace ormix
