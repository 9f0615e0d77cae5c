// The Windows side of the conversion layer: the codec held against the system's own converters,
// and text in an ANSI code page decoded for the failure report.
#include "common/wide_text.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/named_cases.h"

namespace ormix {
namespace {

std::string SystemUtf8(const std::wstring& wide) {
  char out[16];
  int n = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, out, sizeof out, nullptr, nullptr);
  return n > 0 ? std::string(out) : "(failed)";
}

TEST(WideTextTest, EveryCharacterConvertsAsTheSystemConvertsIt) {
  for (unsigned long code = 1; code <= 0x10FFFF; ++code) {
    if (code >= 0xD800 && code <= 0xDFFF)
      continue;
    std::wstring wide;
    if (code < 0x10000) {
      wide.push_back(static_cast<wchar_t>(code));
    } else {
      wide.push_back(static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10)));
      wide.push_back(static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
    }
    char ours[8];
    ASSERT_EQ(NarrowToUtf8(wide.c_str(), ours, sizeof ours), 0) << std::hex << code;
    ASSERT_EQ(std::string(ours), SystemUtf8(wide)) << std::hex << code;
    wchar_t back[4];
    ASSERT_EQ(WidenUtf8(ours, back), 0) << std::hex << code;
    ASSERT_EQ(std::wstring(back), wide) << std::hex << code;
  }
}

// Arguments keep what the system converter always gave them: U+FFFD for each lone surrogate.
TEST(WideTextTest, LoneSurrogatesAreReplacedAsTheSystemReplacesThem) {
  for (const wchar_t* text : {L"\xD800", L"a\xDC00z", L"\xDC00\xD800", L"end\xD83D", L"\xDE00x"}) {
    char ours[32];
    ASSERT_EQ(NarrowToUtf8(text, ours, sizeof ours, Malformed::kReplace), 0);
    EXPECT_EQ(std::string(ours), SystemUtf8(text));
    EXPECT_EQ(NarrowToUtf8(text, ours, sizeof ours), -1);
  }
}

// What the codec refuses, the system's strict conversion refuses too. (How many U+FFFD replace a
// bad sequence differs: Wine 8 gives fewer than the one per longest start that Windows gives.)
TEST(WideTextTest, RefusesWhatTheSystemCallsInvalid) {
  for (const char* text :
       {"a\x80z", "\xC0\xAF/", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xF5\xFE\xFF",
        "ab\xE6\xB5", "\xF0\x9F\x98x", "Caf\xE9", "Café", "测试 Ωμέγα", "😀"}) {
    wchar_t ours[32];
    wchar_t system[32];
    bool system_accepts =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, system, 32) > 0;
    EXPECT_EQ(WidenUtf8(text, ours) == 0, system_accepts) << text;
    if (system_accepts) {
      EXPECT_EQ(std::wstring(ours), std::wstring(system)) << text;
    }
  }
}

// ---- the ANSI code pages ----

struct AnsiCase {
  const char* name;
  unsigned code_page;
  std::string bytes;
  std::size_t limit;
  std::size_t capacity;
  std::string expected;
};

using test::PrintTo;

class DecodeAnsiTest : public testing::TestWithParam<AnsiCase> {};

TEST_P(DecodeAnsiTest, GivesUtf8WithoutHalfACharacter) {
  const AnsiCase& c = GetParam();
  std::string out(c.capacity + 8, '#');
  ASSERT_EQ(DecodeAnsi(c.code_page, c.bytes, c.limit, out.data(), c.capacity), 0);
  EXPECT_EQ(std::string(out.c_str()), c.expected);
  EXPECT_EQ(out[c.capacity], '#') << "written past the capacity";
}

const std::string kA299(299, 'a');
const std::string kA298(298, 'a');

INSTANTIATE_TEST_SUITE_P(
    Table, DecodeAnsiTest,
    testing::Values(
        AnsiCase{"WesternEuropean", 1252, "Caf\xE9 \x80 \x9C", 300, 901, "Café € œ"},
        AnsiCase{"Greek", 1253, "\xD9\xEC\xDD\xE3\xE1", 300, 901, "Ωμέγα"},
        AnsiCase{"Japanese", 932, "\x83\x65\x83\x58\x83\x67", 300, 901, "テスト"},
        AnsiCase{"SimplifiedChinese", 936, "\xC4\xE3\xBA\xC3", 300, 901, "你好"},
        // A double-byte character that the limit would split is left out whole.
        AnsiCase{"DoubleByteCharacterAcrossTheLimit", 932, kA299 + "\x83\x65", 300, 901, kA299},
        AnsiCase{"DoubleByteCharacterEndingAtTheLimit", 932, kA298 + "\x83\x65", 300, 901,
                 kA298 + "テ"},
        // 300 bytes of the log become 600 bytes of UTF-8.
        AnsiCase{"LimitCountsTheLogsBytes", 1252, std::string(400, '\xE9'), 300, 901,
                 [] {
                   std::string text;
                   for (int i = 0; i < 300; ++i) text += "é";
                   return text;
                 }()},
        AnsiCase{"EuroSignsTakeThreeBytesEach", 1252, std::string(300, '\x80'), 300, 901,
                 [] {
                   std::string text;
                   for (int i = 0; i < 300; ++i) text += "€";
                   return text;
                 }()},
        AnsiCase{"CapacityCutsBetweenCharacters", 1252, "Caf\xE9", 300, 5, "Caf"},
        AnsiCase{"NothingToDecode", 1252, "", 300, 8, ""}),
    test::CaseName());

// This test program's code page is the system's: no manifest of it asks for another.
TEST(DecodeAnsiTest, SystemCodePageIsTheOneProgramsGetByDefault) {
  EXPECT_EQ(SystemAnsiCodePage(), GetACP());
  char out[32];
  ASSERT_EQ(DecodeSystemAnsi("x\xE9", 300, out, sizeof out), 0);
  wchar_t expected[4] = {};
  MultiByteToWideChar(CP_ACP, 0, "x\xE9", -1, expected, 4);
  char expected_utf8[16];
  ASSERT_EQ(NarrowToUtf8(expected, expected_utf8, sizeof expected_utf8), 0);
  EXPECT_STREQ(out, expected_utf8);
}

}  // namespace
}  // namespace ormix
