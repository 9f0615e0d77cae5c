// The conversion layer between the launcher's UTF-8 and Windows' UTF-16: exact both ways, refusing
// (or replacing) what has no exact form, never writing part of a text, and cuts that never leave
// part of a character.
#include "common/utf8.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "common/limits.h"
#include "support/named_cases.h"

namespace ormix {
namespace {

// Source files are UTF-8 and every compiler of ours keeps narrow literals so (/utf-8 for MSVC).
struct Sample {
  const char* name;
  std::string utf8;
  std::u16string utf16;
};

using test::PrintTo;

class Utf8SampleTest : public testing::TestWithParam<Sample> {};

TEST_P(Utf8SampleTest, ConvertsExactlyBothWays) {
  const Sample& c = GetParam();
  EXPECT_TRUE(IsValidUtf8(c.utf8));

  std::vector<char16_t> wide(c.utf16.size() + 8, u'#');
  ASSERT_EQ(Utf8ToUtf16(c.utf8, wide.data(), c.utf16.size() + 1), 0);
  EXPECT_EQ(std::u16string(wide.data()), c.utf16);
  EXPECT_EQ(wide[c.utf16.size() + 1], u'#') << "written past the capacity";

  std::vector<char> narrow(c.utf8.size() + 8, '#');
  ASSERT_EQ(Utf16ToUtf8(c.utf16, narrow.data(), c.utf8.size() + 1), 0);
  EXPECT_EQ(std::string(narrow.data()), c.utf8);
  EXPECT_EQ(narrow[c.utf8.size() + 1], '#') << "written past the capacity";
}

// One unit or byte less than the whole text: refused, and nothing of the text is left behind (a
// capacity of 0 is not written at all).
TEST_P(Utf8SampleTest, TextThatDoesNotFitIsRefusedWhole) {
  const Sample& c = GetParam();
  std::vector<char16_t> wide(c.utf16.size() + 1, u'#');
  EXPECT_EQ(Utf8ToUtf16(c.utf8, wide.data(), c.utf16.size()), -1);
  EXPECT_EQ(wide[0], c.utf16.empty() ? u'#' : u'\0');
  std::vector<char> narrow(c.utf8.size() + 1, '#');
  EXPECT_EQ(Utf16ToUtf8(c.utf16, narrow.data(), c.utf8.size()), -1);
  EXPECT_EQ(narrow[0], c.utf8.empty() ? '#' : '\0');
}

INSTANTIATE_TEST_SUITE_P(
    Table, Utf8SampleTest,
    testing::Values(
        Sample{"Empty", "", u""},
        Sample{"Ascii", "C:\\Users\\ana\\AppData", u"C:\\Users\\ana\\AppData"},
        Sample{"InsideCodePage1252", "C:\\Café\\Ünïcode", u"C:\\Café\\Ünïcode"},
        Sample{"CjkWithGreek", "C:\\测试 Ωμέγα", u"C:\\测试 Ωμέγα"},
        Sample{"PolishWithASymbol", "Łódź ✓", u"Łódź ✓"},
        Sample{"OutsideTheBmp", "emoji 😀 and 𝄞", u"emoji 😀 and 𝄞"},
        Sample{"CombiningMarks", "Cafe\u0301 n\u0303o", u"Cafe\u0301 n\u0303o"},
        // The last character of each length, and the first.
        Sample{"LengthEdges",
               "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF\xF0\x90\x80"
               "\x80\xF4\x8F\xBF\xBF",
               u"\u007F\u0080\u07FF\u0800\uD7FF\uE000\uFFFF\U00010000\U0010FFFF"}),
    test::CaseName());

// ---- UTF-8 that is not well-formed ----

struct Malformed8 {
  const char* name;
  std::string bytes;
  std::u16string replaced;  // each longest start of a character that cannot be one: one U+FFFD
};

class MalformedUtf8Test : public testing::TestWithParam<Malformed8> {};

TEST_P(MalformedUtf8Test, IsRefusedOrReplaced) {
  const Malformed8& c = GetParam();
  EXPECT_FALSE(IsValidUtf8(c.bytes));
  char16_t wide[64];
  std::fill(std::begin(wide), std::end(wide), u'#');
  EXPECT_EQ(Utf8ToUtf16(c.bytes, wide, 64), -1);
  EXPECT_EQ(wide[0], u'\0');
  ASSERT_EQ(Utf8ToUtf16(c.bytes, wide, 64, Malformed::kReplace), 0);
  EXPECT_EQ(std::u16string(wide), c.replaced);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MalformedUtf8Test,
    testing::Values(Malformed8{"LoneContinuationByte", "a\x80z", u"a\uFFFDz"},
                    Malformed8{"OverlongSlash", "\xC0\xAF/", u"\uFFFD\uFFFD/"},
                    Malformed8{"OverlongThreeBytes", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
                    Malformed8{"EncodedSurrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
                    Malformed8{"PastU10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
                    Malformed8{"NeverALeadByte", "\xF5\xFE\xFF", u"\uFFFD\uFFFD\uFFFD"},
                    Malformed8{"CutShortAtTheEnd", "ab\xE6\xB5", u"ab\uFFFD"},
                    Malformed8{"CutShortBeforeAscii", "\xF0\x9F\x98x", u"\uFFFDx"},
                    // What the ANSI code page 1252 writes for "Café".
                    Malformed8{"CodePage1252Text", "Caf\xE9 \x80", u"Caf\uFFFD \uFFFD"}),
    test::CaseName());

// ---- UTF-16 with surrogates that have no partner ----

TEST(UnpairedSurrogateTest, AreRefusedOrReplaced) {
  const struct {
    std::u16string text;
    std::string replaced;
  } cases[] = {
      {u"\xD800", "\xEF\xBF\xBD"},
      {u"a\xDC00z", "a\xEF\xBF\xBDz"},
      {u"\xDC00\xD800", "\xEF\xBF\xBD\xEF\xBF\xBD"},
      {u"end\xD83D", "end\xEF\xBF\xBD"},
      {u"\xDE00start", "\xEF\xBF\xBDstart"},
      {u"two \xD800\xD800\xDE00", "two \xEF\xBF\xBD\xF0\x90\x88\x80"},
  };
  for (const auto& c : cases) {
    char out[64];
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(Utf16ToUtf8(c.text, out, sizeof out), -1) << c.replaced;
    EXPECT_EQ(out[0], '\0');
    ASSERT_EQ(Utf16ToUtf8(c.text, out, sizeof out, Malformed::kReplace), 0);
    EXPECT_EQ(std::string(out), c.replaced);
  }
}

// ---- every character there is ----

std::u16string Utf16Of(char32_t code) {
  if (code < 0x10000)
    return std::u16string(1, static_cast<char16_t>(code));
  code -= 0x10000;
  return {static_cast<char16_t>(0xD800 + (code >> 10)),
          static_cast<char16_t>(0xDC00 + (code & 0x3FF))};
}

TEST(Utf8RoundTripTest, EveryScalarValueGoesThereAndBack) {
  for (unsigned long code = 1; code <= 0x10FFFF; ++code) {
    if (code >= 0xD800 && code <= 0xDFFF)
      continue;
    const std::u16string wide = Utf16Of(static_cast<char32_t>(code));
    char narrow[8];
    ASSERT_EQ(Utf16ToUtf8(wide, narrow, sizeof narrow), 0) << std::hex << code;
    const std::size_t expected_length = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
    ASSERT_EQ(std::strlen(narrow), expected_length) << std::hex << code;
    ASSERT_TRUE(IsValidUtf8(narrow)) << std::hex << code;
    char16_t back[4];
    ASSERT_EQ(Utf8ToUtf16(narrow, back, 4), 0) << std::hex << code;
    ASSERT_EQ(std::u16string(back), wide) << std::hex << code;
  }
}

// The capacities in limits.h rest on this: N units never need more than 3N bytes.
TEST(Utf8RoundTripTest, ThreeBytesPerUnitIsEnough) {
  for (const std::u16string& text :
       {std::u16string(100, u'\uFFFF'), std::u16string(100, u'\xD800'),
        std::u16string(50, u'\xD83D') + std::u16string(50, u'\xDE00'), [] {
          std::u16string pairs;
          for (int i = 0; i < 50; ++i) pairs += u"\U0001F600";
          return pairs;
        }()}) {
    std::vector<char> out(text.size() * kUtf8BytesPerUtf16Unit + 1);
    EXPECT_EQ(Utf16ToUtf8(text, out.data(), out.size(), Malformed::kReplace), 0);
  }
}

// ---- cutting without leaving part of a character ----

TEST(Utf8CutTest, NeverEndsInsideACharacter) {
  // One character of each length: a (1), é (2), € (3), 😀 (4).
  const std::string text = "aé€😀";
  ASSERT_EQ(text.size(), 10u);
  const std::size_t expected[] = {0, 1, 1, 3, 3, 3, 6, 6, 6, 6, 10, 10, 10};
  for (std::size_t limit = 0; limit < std::size(expected); ++limit) {
    EXPECT_EQ(Utf8CutLength(text, limit), expected[limit]) << "limit " << limit;
    EXPECT_TRUE(IsValidUtf8(text.substr(0, Utf8CutLength(text, limit)))) << "limit " << limit;
  }
}

TEST(Utf8CutTest, ACharacterTheTextItselfCutShortIsDropped) {
  EXPECT_EQ(Utf8CutLength("ab\xE2\x82", 10), 2u);
  EXPECT_EQ(Utf8CutLength("ab\xF0", 3), 2u);
  // Bytes that could begin no character are no character cut short: they stay.
  EXPECT_EQ(Utf8CutLength("a\x80\x80\x80\x80", 4), 4u);
  EXPECT_EQ(Utf8CutLength("a\xFF", 2), 2u);
  EXPECT_EQ(Utf8CutLength("", 5), 0u);
}

}  // namespace
}  // namespace ormix
