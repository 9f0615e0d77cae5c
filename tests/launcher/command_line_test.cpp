#include "launcher/command_line.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/argument_samples.h"
#include "support/launcher_command_line.h"
#include "support/windows_argv.h"

namespace ormix {
namespace {

TEST(BuildCommandLineTest, QuotesOnlyWhatNeedsIt) {
  const wchar_t* py = L"C:\\py\\python.exe";
  struct Case {
    std::vector<std::wstring> args;
    std::wstring expected;
  } cases[] = {
      {{py, L"-m", L"ormix.apps.converter"}, L"C:\\py\\python.exe -m ormix.apps.converter"},
      {{py, L""}, L"C:\\py\\python.exe \"\""},
      {{L"C:\\Program Files\\py\\python.exe"}, L"\"C:\\Program Files\\py\\python.exe\""},
      {{py, L"a b", L"a\tb", L"a\nb", L"a\vb", L"a\"b"},
       L"C:\\py\\python.exe \"a b\" \"a\tb\" \"a\nb\" \"a\vb\" \"a\\\"b\""},
      // Carriage return and form feed do not split arguments.
      {{py, L"a\rb", L"a\fb"}, L"C:\\py\\python.exe a\rb a\fb"},
      // Unquoted, backslashes stay single, also at the end.
      {{py, L"C:\\dir\\", L"a\\\\b"}, L"C:\\py\\python.exe C:\\dir\\ a\\\\b"},
      // Quoted: trailing backslashes are doubled before the closing quote.
      {{py, L"C:\\my dir\\"}, L"C:\\py\\python.exe \"C:\\my dir\\\\\""},
      // Backslashes before a quote are doubled and one more escapes the quote.
      {{py, L"a\\\"b"}, L"C:\\py\\python.exe \"a\\\\\\\"b\""},
      {{py, L"x \\y"}, L"C:\\py\\python.exe \"x \\y\""},
      {{py, L"\""}, L"C:\\py\\python.exe \"\\\"\""},
      {{}, L""},
  };
  for (const Case& c : cases) EXPECT_EQ(test::LauncherCommandLine(c.args), c.expected);
}

// The property that matters: whatever the vector, the child splits the line back into it. Here
// by the documented rules, so that it also runs in the native build; the Windows build checks the
// same against CommandLineToArgvW itself.
TEST(BuildCommandLineTest, RoundTripsThroughTheWindowsRules) {
  std::mt19937 random(20261210);
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::wstring> args = test::RandomArguments(random);
    std::wstring line = test::LauncherCommandLine(args);
    ASSERT_EQ(test::SplitWindowsCommandLine(line), args)
        << "line: " << testing::PrintToString(line);
  }
}

}  // namespace
}  // namespace ormix
