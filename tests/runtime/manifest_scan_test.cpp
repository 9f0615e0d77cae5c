#include "runtime/manifest_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>

#include "support/named_cases.h"
#include "support/scratch_dir.h"

namespace ormix {
namespace {

using test::PrintTo;

using namespace std::string_literals;

struct ScanCase {
  const char* name;
  std::string text;
  int result;
  const char* value;  // what the scan copies out; "" whenever it fails
};

class ManifestScanTest : public testing::TestWithParam<ScanCase> {};

TEST_P(ManifestScanTest, FindsFirstPythonMember) {
  const ScanCase& c = GetParam();
  char value[kManifestValueCapacity];
  std::fill(std::begin(value), std::end(value), 'x');
  EXPECT_EQ(ScanManifestPythonVersion(c.text, value), c.result);
  EXPECT_STREQ(value, c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ManifestScanTest,
    testing::Values(
        ScanCase{"Compact", R"({"python":"3.13.1"})", 0, "3.13.1"},
        ScanCase{"AmongOtherMembers", R"({"name": "runtime", "python": "3.13.2", "abi": "x"})", 0,
                 "3.13.2"},
        ScanCase{"EveryBlankAroundColon", "{\"python\" \t\r\n: \n\r\t \"3.13\"}", 0, "3.13"},
        ScanCase{"VerticalTabBeforeColon", "{\"python\"\v: \"3.13\"}", -1, ""},
        ScanCase{"FormFeedAfterColon", "{\"python\": \f\"3.13\"}", -1, ""},
        ScanCase{"EqualsForColon", R"({"python" = "3.13"})", -1, ""},
        ScanCase{"UnquotedNumber", R"({"python": 3.13})", -1, ""},
        ScanCase{"SingleQuotes", R"({"python": '3.13'})", -1, ""},
        ScanCase{"KeyCaseMatters", R"({"Python": "3.13"})", -1, ""},
        ScanCase{"KeyUnquoted", R"({python: "3.13"})", -1, ""},
        ScanCase{"NoPythonMember", R"({"version": "3.13"})", -1, ""},
        // Only the first "python" is looked at, even when it is another member's value.
        ScanCase{"PythonFirstAsValue", R"({"kind": "python", "python": "3.13"})", -1, ""},
        ScanCase{"KeyAtTextEnd", R"({"python")", -1, ""},
        ScanCase{"ColonAtTextEnd", "{\"python\" :  ", -1, ""},
        ScanCase{"EmptyValue", R"({"python": ""})", -1, ""},
        ScanCase{"MissingClosingQuote", R"({"python": "3.13.4)", 0, "3.13.4"},
        ScanCase{"ValueCutAt31Bytes", R"({"python": "3.13.0123456789012345678901234567890"})", 0,
                 "3.13.01234567890123456789012345"},
        ScanCase{"BackslashIsOrdinary", R"({"python": "3.13.\", "x": "y"})", 0, "3.13.\\"},
        ScanCase{"ZeroByteBeforeKey", "\0{\"python\": \"3.13\"}"s, -1, ""},
        ScanCase{"ZeroByteBeforeColon", "{\"python\"\0: \"3.13\"}"s, -1, ""},
        ScanCase{"ZeroByteInValue", "{\"python\": \"3.1\0003\"}"s, 0, "3.1"}),
    test::CaseName());

struct SeriesCase {
  const char* name;
  const char* version;
  bool in_series;
};

class ManifestSeriesTest : public testing::TestWithParam<SeriesCase> {};

TEST_P(ManifestSeriesTest, AcceptsOnlyTheRuntimeSeries) {
  const SeriesCase& c = GetParam();
  std::string manifest = std::string(R"({"name": "Harrowmere Runtime", "python": ")") + c.version +
                         R"(", "arch": "x64"})";
  EXPECT_EQ(CheckRuntimeManifest(manifest), c.in_series ? 0 : -1) << manifest;
}

INSTANTIATE_TEST_SUITE_P(
    Versions, ManifestSeriesTest,
    testing::Values(
        SeriesCase{"Series", "3.13", true}, SeriesCase{"Patch0", "3.13.0", true},
        SeriesCase{"Patch12", "3.13.12", true}, SeriesCase{"LoneTrailingDot", "3.13.", true},
        SeriesCase{"DotAndAnything", "3.13.0b1", true}, SeriesCase{"LongerMinor", "3.130", false},
        SeriesCase{"Prefix", "3.1", false}, SeriesCase{"NextSeries", "3.14.0", false},
        SeriesCase{"SlotSuffix", "3.13-beta", false}, SeriesCase{"LeadingSpace", " 3.13", false},
        SeriesCase{"TrailingSpace", "3.13 ", false}, SeriesCase{"LeadingLetter", "v3.13", false},
        SeriesCase{"Empty", "", false},
        // Judged on the 31 bytes kept, so an overlong value of the series passes.
        SeriesCase{"CutLongValue", "3.13.9999999999999999999999999999999999", true}),
    test::CaseName());

// Only the head is read, whatever the file holds after it; a file that gives no byte is refused.
TEST(ManifestHeadTest, ReadsOnlyTheFirst511Bytes) {
  test::ScratchDir dir;
  char head[kManifestReadLimit + 1];
  const std::string opening = R"({"python": "3.13.1", "padding": ")";
  const std::string big = opening + std::string(10 * 1024 * 1024, 'x') + "\"}";
  ASSERT_EQ(ReadManifestHead(dir.WriteFile("big.json", big).c_str(), head), 0);
  EXPECT_EQ(std::string(head), big.substr(0, kManifestReadLimit));
  EXPECT_EQ(CheckRuntimeManifest(head), 0);

  EXPECT_EQ(ReadManifestHead(dir.WriteFile("short.json", R"({"python": "3.13"})").c_str(), head),
            0);
  EXPECT_STREQ(head, R"({"python": "3.13"})");

  // A zero byte ends the text that is scanned; what follows it is not looked at.
  std::string binary = "\xFF\xFE{\0\"python\": \"3.13\"}"s;
  ASSERT_EQ(ReadManifestHead(dir.WriteFile("binary.json", binary).c_str(), head), 0);
  EXPECT_EQ(CheckRuntimeManifest(head), -1);

  for (const std::string& refused :
       {dir.WriteFile("empty.json", ""), dir.MakeDir("folder.json"), dir.Path("missing.json")}) {
    SCOPED_TRACE(refused);
    std::memset(head, 'x', sizeof head);
    EXPECT_EQ(ReadManifestHead(refused.c_str(), head), -1);
    EXPECT_STREQ(head, "");
  }
}

}  // namespace
}  // namespace ormix
