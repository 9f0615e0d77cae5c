#include "runtime/app_version_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/named_cases.h"
#include "support/scratch_dir.h"

namespace ormix {
namespace {

using test::PrintTo;

constexpr std::size_t kCapacity = 32;

// Reads the slot from a folder holding an app version file with these bytes. The output starts
// full of junk, so a result left unemptied shows.
struct SlotRead {
  int result;
  std::string slot;
};
SlotRead ReadFromFile(const std::string& contents, std::size_t capacity = kCapacity) {
  test::ScratchDir dir;
  dir.WriteFile(kAppVersionFileName, contents);
  char out[kCapacity + 1];
  std::memset(out, 'x', sizeof out);
  out[kCapacity] = '\0';
  int result = ReadRuntimeSlot(dir.path().c_str(), out, capacity);
  return {result, out};
}

struct GrammarCase {
  const char* name;
  const char* value;
  bool accepted;
};

class RuntimeSlotGrammarTest : public testing::TestWithParam<GrammarCase> {};

TEST_P(RuntimeSlotGrammarTest, AcceptsOnlyWholeSlots) {
  const GrammarCase& c = GetParam();
  SlotRead read = ReadFromFile(std::string("[runtime]\nslot=") + c.value + "\n");
  EXPECT_EQ(read.result, c.accepted ? 0 : -1);
  EXPECT_EQ(read.slot, c.accepted ? c.value : "");
}

INSTANTIATE_TEST_SUITE_P(
    Values, RuntimeSlotGrammarTest,
    testing::Values(
        GrammarCase{"Series", "3.13", true}, GrammarCase{"Beta", "3.13-beta", true},
        GrammarCase{"Dev", "3.13-dev", true}, GrammarCase{"TwoDigitMajor", "10.0", true},
        GrammarCase{"LeadingZeros", "03.013", true}, GrammarCase{"MajorOnly", "3", false},
        GrammarCase{"NoMinor", "3.", false}, GrammarCase{"NoMajor", ".13", false},
        GrammarCase{"ThreeParts", "3.13.1", false}, GrammarCase{"SuffixCase", "3.13-BETA", false},
        GrammarCase{"MisspeltDev", "3.13-Dev", false},
        GrammarCase{"OtherSuffix", "3.13-rc1", false},
        GrammarCase{"SuffixWithoutDash", "3.13beta", false},
        GrammarCase{"BareDash", "3.13-", false}, GrammarCase{"TextAfterSuffix", "3.13-dev2", false},
        GrammarCase{"TwoSuffixes", "3.13-beta-dev", false},
        GrammarCase{"LeadingLetter", "v3.13", false},
        GrammarCase{"TrailingComment", "3.13 ; latest", false},
        GrammarCase{"LeadingBlank", " 3.13", false}, GrammarCase{"Quoted", "\"3.13\"", false},
        GrammarCase{"NonAsciiDigit", "3.1\xB3", false}, GrammarCase{"Empty", "", false}),
    test::CaseName());

TEST(RuntimeSlotLengthTest, MustBeShorterThanCapacity) {
  const std::string fits = std::string(15, '1') + "." + std::string(15, '2');  // 31 bytes
  const std::string too_long = "9" + fits;                                     // 32 bytes
  SlotRead read = ReadFromFile("[runtime]\nslot=" + fits + "\n");
  EXPECT_EQ(read.result, 0);
  EXPECT_EQ(read.slot, fits);
  read = ReadFromFile("[runtime]\nslot=" + too_long + "\n");
  EXPECT_EQ(read.result, -1);
  EXPECT_EQ(read.slot, "");

  // The limit is the capacity given, not the record's field size.
  read = ReadFromFile("[runtime]\nslot=3.13\n", 5);
  EXPECT_EQ(read.result, 0);
  EXPECT_EQ(read.slot, "3.13");
  read = ReadFromFile("[runtime]\nslot=3.130\n", 5);
  EXPECT_EQ(read.result, -1);
  EXPECT_EQ(read.slot, "");
}

struct FileCase {
  const char* name;
  std::string contents;
  const char* slot;  // nullptr: no slot (-1)
};

class RuntimeSlotFileTest : public testing::TestWithParam<FileCase> {};

TEST_P(RuntimeSlotFileTest, ReadsFirstKeyLineOfRuntimeSection) {
  const FileCase& c = GetParam();
  SlotRead read = ReadFromFile(c.contents);
  EXPECT_EQ(read.result, c.slot != nullptr ? 0 : -1);
  EXPECT_EQ(read.slot, c.slot != nullptr ? c.slot : "");
}

// A physical line that fills a whole 255-byte piece, so that what follows on the same line is
// read as a line of its own.
std::string FullPiece() {
  return "note=" + std::string(250, 'n');
}

INSTANTIATE_TEST_SUITE_P(
    Files, RuntimeSlotFileTest,
    testing::Values(
        FileCase{"Plain", "[runtime]\nslot=3.13-beta\n", "3.13-beta"},
        FileCase{"NoFinalLineFeed", "[runtime]\nslot=3.13", "3.13"},
        FileCase{"UpperCase", "[RUNTIME]\nSLOT=3.13-beta\n", "3.13-beta"},
        FileCase{"MixedCase", "[Runtime]\nSlot=3.13\n", "3.13"},
        FileCase{"HeaderComment", "[runtime] ; channel\nslot=3.13-dev\n", "3.13-dev"},
        FileCase{"HeaderTrailingText", "[runtime]x\nslot=3.13\n", "3.13"},
        FileCase{"HeaderTooShort", "[runtime\nslot=3.13\n", nullptr},
        FileCase{"HeaderOtherName", "[runtimes]\nslot=3.13\n", nullptr},
        FileCase{"IndentedHeader", " \t[runtime]\nslot=3.13\n", "3.13"},
        FileCase{"KeyBeforeAnyHeader", "slot=3.13-dev\n[runtime]\nslot=3.13-beta\n", "3.13-beta"},
        FileCase{"KeyOnlyBeforeHeader", "slot=3.13-dev\n[runtime]\n", nullptr},
        FileCase{"KeyUnderOtherSection", "[app]\nslot=3.13-dev\n[runtime]\nslot=3.13\n", "3.13"},
        FileCase{"SectionClosed", "[runtime]\nname=x\n[app]\nslot=3.13\n", nullptr},
        FileCase{"SectionReopened",
                 "[runtime]\nname=x\n[app]\nslot=3.13-dev\n[runtime]\nslot=3.13\n", "3.13"},
        FileCase{"OtherLinesSkipped",
                 "[runtime]\n\n; slot=3.13-dev\n# x\nslots=3.13-dev\nchannel=dev\nslot=3.13\n",
                 "3.13"},
        FileCase{"BlanksAroundEquals", "[runtime]\nslot = 3.13-beta\n", nullptr},
        FileCase{"BlankBeforeEqualsThenKey", "[runtime]\nslot =3.13-dev\nslot=3.13\n", "3.13"},
        FileCase{"RefusedFirstHidesSecond", "[runtime]\nslot= 3.13\nslot=3.13-beta\n", nullptr},
        FileCase{"FirstKeyDecides", "[runtime]\nslot=3.13-beta\nslot=3.13-dev\n", "3.13-beta"},
        FileCase{"IndentedKeyLine", "[runtime]\n \t slot=3.13\n", "3.13"},
        FileCase{"CrlfAndTrailingBlanks", "[runtime]\r\nslot=3.13-beta \t \r\n", "3.13-beta"},
        FileCase{"FormFeedIsNotBlank", "[runtime]\nslot=3.13\f\n", nullptr},
        FileCase{"BomOnFirstLine", "\xEF\xBB\xBF[runtime]\nslot=3.13-beta\n", "3.13-beta"},
        FileCase{"BomOnKeyLine", "[runtime]\n\xEF\xBB\xBFslot=3.13-beta\n", "3.13-beta"},
        FileCase{"BomThenBlanks", "[runtime]\n\xEF\xBB\xBF  slot=3.13\n", "3.13"},
        FileCase{"BlanksThenBom", "[runtime]\n  \xEF\xBB\xBFslot=3.13\n", nullptr},
        FileCase{"ContinuationIsKeyLine", "[runtime]\n" + FullPiece() + "slot=3.13-beta\n",
                 "3.13-beta"},
        FileCase{"KeySplitByPieceEnd", "[runtime]\n" + FullPiece().substr(1) + "slot=3.13-beta\n",
                 nullptr},
        FileCase{"ContinuationIsHeader", "[runtime]\n" + FullPiece() + "[app]\nslot=3.13\n",
                 nullptr},
        FileCase{"Empty", "", nullptr}),
    test::CaseName());

TEST(RuntimeSlotTest, NoFileOrNoFolderGivesNoSlot) {
  test::ScratchDir dir;
  char out[kCapacity] = "junk";
  EXPECT_EQ(ReadRuntimeSlot(dir.path().c_str(), out, sizeof out), -1);
  EXPECT_STREQ(out, "");

  // A folder of the file's name cannot be opened as the file.
  dir.MakeDir(kAppVersionFileName);
  std::strcpy(out, "junk");
  EXPECT_EQ(ReadRuntimeSlot(dir.path().c_str(), out, sizeof out), -1);
  EXPECT_STREQ(out, "");

  std::strcpy(out, "junk");
  EXPECT_EQ(ReadRuntimeSlot("", out, sizeof out), -1);
  EXPECT_STREQ(out, "");
  std::strcpy(out, "junk");
  EXPECT_EQ(ReadRuntimeSlot(nullptr, out, sizeof out), -1);
  EXPECT_STREQ(out, "");
}

TEST(RuntimeSlotTest, FolderWithTrailingSeparator) {
  test::ScratchDir dir;
  dir.WriteFile(kAppVersionFileName, "[runtime]\nslot=3.13-beta\n");
  char out[kCapacity];
  EXPECT_EQ(ReadRuntimeSlot((dir.path() + "\\").c_str(), out, sizeof out), 0);
  EXPECT_STREQ(out, "3.13-beta");
}

TEST(RuntimeSlotTest, NoOutputWritesNothing) {
  test::ScratchDir dir;
  dir.WriteFile(kAppVersionFileName, "[runtime]\nslot=3.13\n");
  EXPECT_EQ(ReadRuntimeSlot(dir.path().c_str(), nullptr, kCapacity), -1);
  char out[kCapacity] = "junk";
  EXPECT_EQ(ReadRuntimeSlot(dir.path().c_str(), out, 0), -1);
  EXPECT_STREQ(out, "junk");
}

}  // namespace
}  // namespace ormix
