#include "launcher/command_line.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace ormix {
namespace {

std::wstring Build(const std::vector<std::wstring>& args) {
  std::vector<const wchar_t*> pointers;
  for (const std::wstring& arg : args) pointers.push_back(arg.c_str());
  wchar_t* line = BuildCommandLine(pointers.data(), static_cast<int>(pointers.size()));
  EXPECT_NE(line, nullptr);
  std::wstring result = line ? line : L"";
  std::free(line);
  return result;
}

std::vector<std::wstring> Split(const std::wstring& line) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(line.c_str(), &argc);
  std::vector<std::wstring> args(argv, argv + argc);
  LocalFree(argv);
  return args;
}

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
  for (const Case& c : cases) EXPECT_EQ(Build(c.args), c.expected);
}

// The property that matters: whatever the vector, the child splits the line back into it.
TEST(BuildCommandLineTest, RoundTripsThroughTheWindowsSplitter) {
  const std::wstring alphabet[] = {L"a",  L"Z",  L" ",      L"\t",     L"\\",        L"\\\\",
                                   L"\"", L"\n", L"\v",     L"\r",     L"\f",        L"=",
                                   L"-",  L"'",  L"\u00e9", L"\u65e5", L"\U0001F600"};
  std::mt19937 random(20261210);
  for (int round = 0; round < 3000; ++round) {
    // The interpreter path comes first; Windows splits the first entry by simpler rules, so it is
    // a realistic path rather than a random one.
    std::vector<std::wstring> args = {round % 2 ? L"C:\\Program Files\\Py\\python.exe"
                                                : L"C:\\Py\\python.exe"};
    int count = static_cast<int>(random() % 6);
    for (int i = 0; i < count; ++i) {
      std::wstring arg;
      int length = static_cast<int>(random() % 9);
      for (int k = 0; k < length; ++k) arg += alphabet[random() % std::size(alphabet)];
      args.push_back(arg);
    }
    std::wstring line = Build(args);
    ASSERT_EQ(Split(line), args) << "line: " << testing::PrintToString(line);
  }
}

}  // namespace
}  // namespace ormix
