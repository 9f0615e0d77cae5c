#include "launcher/command_line.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cwchar>
#include <random>
#include <string>
#include <vector>

#include "support/argument_samples.h"
#include "support/launcher_command_line.h"

namespace ormix {
namespace {

std::vector<std::wstring> Split(const wchar_t* line, const wchar_t* program_path = L"C:\\own.exe") {
  int count = -1;
  ArgumentBlock block(SplitCommandLine(line, program_path, &count));
  if (!block) {
    ADD_FAILURE() << "no block";
    return {};
  }
  EXPECT_EQ(block.get()[count], nullptr) << "the vector ends in a null entry";
  return std::vector<std::wstring>(block.get(), block.get() + count);
}

TEST(SplitCommandLineTest, FollowsTheWindowsRules) {
  struct Case {
    const char* name;
    const wchar_t* line;
    std::vector<std::wstring> expected;
  } cases[] = {
      {"empty line: the program's own path", L"", {L"C:\\own.exe"}},
      {"blanks only: an empty program name", L" \t ", {L""}},
      {"leading blank: an empty program name", L" a b", {L"", L"a", L"b"}},
      {"plain words", L"p a\tb  c", {L"p", L"a", L"b", L"c"}},
      {"only space and tab separate", L"p a\nb\vc\rd\fe", {L"p", L"a\nb\vc\rd\fe"}},
      {"quoted program name keeps its blanks", L"\"C:\\a b\\p.exe\" x", {L"C:\\a b\\p.exe", L"x"}},
      {"program name has no escapes", L"\"C:\\dir\\\" x", {L"C:\\dir\\", L"x"}},
      {"unquoted program name ends at a blank only", L"C:\\\"a b\" c", {L"C:\\\"a", L"b c"}},
      {"text right after a quoted program name starts the next argument",
       L"\"p\"x y",
       {L"p", L"x", L"y"}},
      {"unterminated quoted program name", L"\"p x", {L"p x"}},
      {"quoted parts join with the text around them", L"p a\"b c\"d", {L"p", L"ab cd"}},
      {"empty quotes are an empty argument", L"p \"\" x", {L"p", L"", L"x"}},
      {"unterminated quote runs to the end", L"p \"a b", {L"p", L"a b"}},
      {"backslashes before other text stay", L"p a\\\\b c\\", {L"p", L"a\\\\b", L"c\\"}},
      {"2n backslashes and a quote: n, and the quote opens", L"p a\\\\\"b c\"", {L"p", L"a\\b c"}},
      {"2n+1 backslashes and a quote: n and a literal quote",
       L"p a\\\\\\\"b c",
       {L"p", L"a\\\"b", L"c"}},
      {"two quotes inside a quoted part: a literal one, and the part ends",
       L"p \"a\"\"b c\"",
       {L"p", L"a\"b", L"c"}},
      {"two quotes outside a quoted part: nothing", L"p a\"\"b", {L"p", L"ab"}},
      {"non-ASCII passes through",
       L"p \u00e9\u65e5 \U0001F600",
       {L"p", L"\u00e9\u65e5", L"\U0001F600"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Split(c.line), c.expected) << c.name;
  }
}

TEST(SplitCommandLineTest, EmptyOrNullLineWithoutAProgramPathGivesOneEmptyEntry) {
  EXPECT_EQ(Split(L"", nullptr), std::vector<std::wstring>{L""});
  EXPECT_EQ(Split(nullptr, L"C:\\own.exe"), std::vector<std::wstring>{L"C:\\own.exe"});
}

// The vector and its texts are one block: the texts lie right after the null entry, each
// terminated, back to back, so that one free releases everything.
TEST(SplitCommandLineTest, OneBlockHoldsTheEntriesAndTheirTexts) {
  int count = -1;
  ArgumentBlock block(SplitCommandLine(L"p \"a b\" \"\" c", nullptr, &count));
  ASSERT_TRUE(block);
  ASSERT_EQ(count, 4);
  wchar_t** entries = block.get();
  const wchar_t* text = reinterpret_cast<const wchar_t*>(entries + count + 1);
  for (int i = 0; i < count; ++i) {
    EXPECT_EQ(entries[i], text) << i;
    text += std::wcslen(entries[i]) + 1;
  }
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
  for (const Case& c : cases) EXPECT_EQ(test::LauncherCommandLine(c.args), c.expected);
}

// The property that matters: whatever the vector, the child splits the line back into it. Here
// through the launcher's own splitter, so that it also runs in the native build; the Windows build
// holds both against CommandLineToArgvW itself.
TEST(BuildCommandLineTest, RoundTripsThroughTheWindowsRules) {
  std::mt19937 random(20261210);
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::wstring> args = test::RandomArguments(random);
    std::wstring line = test::LauncherCommandLine(args);
    ASSERT_EQ(Split(line.c_str()), args) << "line: " << testing::PrintToString(line);
  }
}

}  // namespace
}  // namespace ormix
