#include "common/text_format.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>

#include "common/utf8.h"

namespace ormix {
namespace {

TEST(FormatTest, Directives) {
  char out[128];
  EXPECT_EQ(Format(out, "%s and %s", "a", "bc"), 8u);
  EXPECT_STREQ(out, "a and bc");
  Format(out, "%d|%d|%u|%lu|%llu|%%", -42, 0, 7u, 4294967295ul, 18446744073709551615ull);
  EXPECT_STREQ(out, "-42|0|7|4294967295|18446744073709551615|%");
  Format(out, "%.*s/x/%s", 3, "abcdef", "tail");
  EXPECT_STREQ(out, "abc/x/tail");
  Format(out, "%.*s", -1, "whole");
  EXPECT_STREQ(out, "whole");
  Format(out, "%d", -2147483647 - 1);
  EXPECT_STREQ(out, "-2147483648");
}

TEST(FormatTest, CutsAtCapacityAndAlwaysTerminates) {
  char out[6];
  std::memset(out, 'x', sizeof out);
  EXPECT_EQ(Format(out, "%s", "abcdefgh"), 5u);
  EXPECT_STREQ(out, "abcde");
  Format(out, "%d", 1234567);
  EXPECT_STREQ(out, "12345");
  char one[1] = {'x'};
  EXPECT_EQ(Format(one, "%s", "abc"), 0u);
  EXPECT_EQ(one[0], '\0');
  EXPECT_EQ(FormatInto(static_cast<char*>(nullptr), 10, "%s", {FormatArg("a")}), 0u);
  char untouched = 'x';
  EXPECT_EQ(FormatInto(&untouched, 0, "%s", {FormatArg("a")}), 0u);
  EXPECT_EQ(untouched, 'x');
}

// Narrow text is UTF-8: a cut drops a character whole rather than leave its first bytes.
TEST(FormatTest, CutNeverLeavesPartOfACharacter) {
  const char text[] = "aé€😀z";  // characters of 1, 2, 3, 4 and 1 bytes
  const std::size_t kept[] = {0, 0, 1, 1, 3, 3, 3, 6, 6, 6, 6, 10, 11, 11};
  for (std::size_t capacity = 1; capacity < std::size(kept); ++capacity) {
    char out[16];
    std::memset(out, 'x', sizeof out);
    EXPECT_EQ(Format(out, capacity, "%s", text), kept[capacity]) << "capacity " << capacity;
    EXPECT_EQ(std::string(out), std::string(text, kept[capacity])) << "capacity " << capacity;
    EXPECT_TRUE(IsValidUtf8(out)) << "capacity " << capacity;
  }
  // Text that fits is never touched, whatever its bytes.
  char out[8];
  EXPECT_EQ(Format(out, "%s", "ab\xE2\x82"), 4u);
  EXPECT_STREQ(out, "ab\xE2\x82");
}

TEST(FormatTest, WrongOrMissingArgumentsWriteNothing) {
  char out[64];
  Format(out, "[%s][%d]", 5, "text");
  EXPECT_STREQ(out, "[][]");
  Format(out, "[%s][%s]", "only");
  EXPECT_STREQ(out, "[only][]");
  Format(out, "[%s]", static_cast<const char*>(nullptr));
  EXPECT_STREQ(out, "[]");
  Format(out, "%x %q 100%");
  EXPECT_STREQ(out, "%x %q 100%");
}

TEST(FormatTest, WideOutput) {
  wchar_t out[64];
  Format(out, L"%sHarrowmere-Runtime-Setup.exe", L"C:\\T\\");
  EXPECT_STREQ(out, L"C:\\T\\Harrowmere-Runtime-Setup.exe");
  Format(out, L"%d%%  (%lu of %lu MB)", 100, 228u, 228u);
  EXPECT_STREQ(out, L"100%  (228 of 228 MB)");
  // A narrow text has no place in a wide buffer.
  Format(out, L"[%s]", "narrow");
  EXPECT_STREQ(out, L"[]");
}

}  // namespace
}  // namespace ormix
