// The last meaningful line of a launch log: trimming, the 300-byte cap, the header line and the
// 8192-byte window, read from real files.
#include "diagnostics/log_tail.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "support/named_cases.h"
#include "support/scratch_dir.h"

namespace ormix {
namespace {

using namespace std::string_literals;
using test::ScratchDir;

constexpr char kHeader[] =
    "Ormix Converter 1.0.0 launcher: D:\\Ormix\\_internal\\pythonw.exe -m ormix.apps.converter";

// Text whose every position is recognisable, so a cut at the wrong byte shows.
std::string Pattern(std::size_t length, std::size_t phase = 0) {
  std::string text(length, '\0');
  for (std::size_t i = 0; i < length; ++i) text[i] = static_cast<char>('a' + (i + phase) % 26);
  return text;
}

// ---- CopyTrimmedLine ----

struct TrimCase {
  const char* name;
  std::string input;
  std::size_t capacity;
  std::string expected;
};

using test::PrintTo;

class TrimmedLineTest : public testing::TestWithParam<TrimCase> {};

TEST_P(TrimmedLineTest, TrimsAndCaps) {
  const TrimCase& c = GetParam();
  char dst[512];
  std::memset(dst, '#', sizeof dst);
  CopyTrimmedLine(c.input.data(), c.input.data() + c.input.size(), dst, c.capacity);
  EXPECT_EQ(std::string(dst, c.expected.size()), c.expected);
  EXPECT_EQ(dst[c.expected.size()], '\0');
  for (std::size_t i = c.capacity; i < sizeof dst; ++i) ASSERT_EQ(dst[i], '#') << "byte " << i;
}

const std::string k400 = Pattern(400);

INSTANTIATE_TEST_SUITE_P(
    Table, TrimmedLineTest,
    testing::Values(
        TrimCase{"AllSixWhiteSpaceBytes", " \t\n\v\f\rerror \t\n\v\f\r", 301, "error"},
        TrimCase{"InnerWhiteSpaceKept", "  a \t b  ", 301, "a \t b"},
        TrimCase{"OnlyWhiteSpace", " \r\n\t\v\f ", 301, ""}, TrimCase{"EmptyRange", "", 301, ""},
        TrimCase{"HighBytesAreNotWhiteSpace", "\xA0\x85x\xFF\xA0", 301, "\xA0\x85x\xFF\xA0"},
        TrimCase{"ControlBytesAreNotWhiteSpace", "\x1Fx\x08\x0E", 301, "\x1Fx\x08\x0E"},
        TrimCase{"ZeroByteIsNotWhiteSpace", "\0 abc \0"s, 301, "\0 abc \0"s},
        TrimCase{"CapAt300", k400, 301, k400.substr(0, 300)},
        TrimCase{"CapCountsAfterLeadingWhiteSpace", "\t   " + k400, 301, k400.substr(0, 300)},
        TrimCase{"CutLineMayEndInWhiteSpace", std::string(299, 'a') + " b", 301,
                 std::string(299, 'a') + " "},
        TrimCase{"ExactlyThreeHundred", "  " + k400.substr(0, 300) + "  ", 301,
                 k400.substr(0, 300)},
        TrimCase{"CapacityCut", "  abcdef  ", 4, "abc"}, TrimCase{"CapacityOne", "abc", 1, ""},
        TrimCase{"CapacityAboveCapStillCaps", k400, 512, k400.substr(0, 300)}),
    test::CaseName());

TEST(TrimmedLineTest, CapacityZeroWritesNothing) {
  const char text[] = "abc";
  char dst[4] = {'#', '#', '#', '#'};
  CopyTrimmedLine(text, text + 3, dst, 0);
  EXPECT_EQ(std::string(dst, 4), "####");
}

// ---- ReadLastLogLine over whole files ----

struct TailCase {
  const char* name;
  std::string log;
  const char* header;
  std::string expected;
};

class LogTailTest : public testing::TestWithParam<TailCase> {};

TEST_P(LogTailTest, FindsLastMeaningfulLine) {
  const TailCase& c = GetParam();
  ScratchDir scratch;
  const std::string path = scratch.WriteFile("launch.log", c.log);
  char out[kLogLineCapacity];
  std::memset(out, 'X', sizeof out);
  EXPECT_EQ(ReadLastLogLine(path.c_str(), c.header, out, sizeof out), 0);
  EXPECT_EQ(std::string(out), c.expected);
}

const std::string kHead = kHeader + "\n"s;
// A header past the 300-byte cap, as a deep interpreter path gives.
const std::string kLongHeader =
    "Ormix Converter 1.0.0 launcher: C:\\" + std::string(300, 'd') + "\\pythonw.exe -m x";
// A long first line, so that the window starts inside it.
const std::string kLongLine = Pattern(9000);
// What is left of kLongLine in a window that ends after `rest` more bytes.
std::string PartialLine(std::size_t rest) {
  const std::size_t window_start = kLongLine.size() + rest - kLogTailWindow;
  return kLongLine.substr(window_start, 300);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LogTailTest,
    testing::Values(
        TailCase{"CrLfAndBlankLinesAtEnd",
                 kHead + "Traceback (most recent call last):\r\n  File \"main.py\", line 3\r\n"
                         "ValueError: bad value\r\n\r\n   \r\n\t\v\f\r\n\r\n",
                 kHeader, "ValueError: bad value"},
        TailCase{"OnlyHeader", kHead, kHeader, ""},
        TailCase{"HeaderRepeatedLater", kHead + "first error\n" + kHead + "\n", kHeader,
                 "first error"},
        TailCase{"HeaderIndentedLater", kHead + "first error\n  \t" + kHeader + " \r\n", kHeader,
                 "first error"},
        TailCase{"HeaderComparedWithCase",
                 kHead + "Ormix Converter 1.0.0 LAUNCHER: D:\\Ormix\\_internal\\pythonw.exe -m "
                         "ormix.apps.converter\n",
                 kHeader,
                 "Ormix Converter 1.0.0 LAUNCHER: D:\\Ormix\\_internal\\pythonw.exe -m "
                 "ormix.apps.converter"},
        TailCase{"LongHeaderComparedCapped", kLongHeader + "\nfirst error\n" + kLongHeader + "\n",
                 kLongHeader.c_str(), "first error"},
        TailCase{"NullHeaderReportsHeaderLine", kHead, nullptr, kHeader},
        TailCase{"LastLineWithoutLineFeed", kHead + "one\ntwo", kHeader, "two"},
        TailCase{"LineOf400Bytes", kHead + "   " + k400 + "\r\n", kHeader, k400.substr(0, 300)},
        TailCase{"HighBytesKept",
                 kHead + "\xA0"
                         "Fehler \xFC\xFF\xA0\n",
                 kHeader,
                 "\xA0"
                 "Fehler \xFC\xFF\xA0"},
        TailCase{"ZeroByteEndsLineText", kHead + "OSError: disk\0hidden text\n"s, kHeader,
                 "OSError: disk"},
        TailCase{"LineOfOnlyZeroByteIsEmpty", kHead + "real error\n \t\0hidden\n\n"s, kHeader,
                 "real error"},
        TailCase{"ZeroByteLineThenHeaderCopy", kHead + "real error\n" + kHeader + "\0tail\n"s,
                 kHeader, "real error"},
        TailCase{"NoLineFeedInLargeLog", Pattern(10000, 7), kHeader,
                 Pattern(10000, 7).substr(10000 - kLogTailWindow, 300)},
        TailCase{"LineFeedOnlyBeforeWindow", kHead + "early\n" + Pattern(9000), kHeader,
                 Pattern(9000).substr(9000 - kLogTailWindow, 300)},
        TailCase{"PartialFirstLineWinsOverBlankAndHeader", kLongLine + "\n" + kHead + " \r\n\n",
                 kHeader, PartialLine(1 + kHead.size() + 4)},
        TailCase{"PartialFirstLineLosesToLaterLine", kLongLine + "\nlater line\n\n", kHeader,
                 "later line"},
        TailCase{"WholeFileWhenBelowWindow", "only line\n" + std::string(8000, '\n'), kHeader,
                 "only line"}),
    test::CaseName());

TEST(LogTailTest, VeryLargeLogGivesItsLastLine) {
  ScratchDir scratch;
  std::string log = kHead;
  const std::string filler = "INFO converting page, nothing to see here, moving on\r\n";
  while (log.size() < 5 * 1024 * 1024) log += filler;
  log += "RuntimeError: the very last line\r\n\r\n";
  const std::string path = scratch.WriteFile("big.log", log);
  char out[kLogLineCapacity];
  EXPECT_EQ(ReadLastLogLine(path.c_str(), kHeader, out, sizeof out), 0);
  EXPECT_STREQ(out, "RuntimeError: the very last line");
}

TEST(LogTailTest, EmptyLogIsReadWithoutLine) {
  ScratchDir scratch;
  const std::string path = scratch.WriteFile("launch.log", "");
  char out[kLogLineCapacity];
  std::memset(out, 'X', sizeof out);
  EXPECT_EQ(ReadLastLogLine(path.c_str(), kHeader, out, sizeof out), 0);
  EXPECT_STREQ(out, "");
}

TEST(LogTailTest, LogThatCannotBeReadGivesFailureAndEmptyLine) {
  ScratchDir scratch;
  const std::string deleted = scratch.WriteFile("launch.log", kHead + "error\n");
  ASSERT_EQ(std::remove(deleted.c_str()), 0);
  std::vector<const char*> paths = {deleted.c_str(), "", nullptr};
#ifdef _WIN32
  // Only Windows refuses to open a folder as a file; elsewhere it depends on the file system.
  const std::string folder = scratch.MakeDir("a-folder");
  paths.push_back(folder.c_str());
#endif
  for (const char* path : paths) {
    SCOPED_TRACE(path == nullptr ? "(null)" : path);
    char out[kLogLineCapacity];
    std::memset(out, 'X', sizeof out);
    EXPECT_EQ(ReadLastLogLine(path, kHeader, out, sizeof out), -1);
    EXPECT_STREQ(out, "");
  }
}

TEST(LogTailTest, CapacityZeroLeavesOutputUntouched) {
  ScratchDir scratch;
  const std::string path = scratch.WriteFile("launch.log", kHead + "error\n");
  char out[8] = {'X', 'X', 'X', 'X', 'X', 'X', 'X', 'X'};
  EXPECT_EQ(ReadLastLogLine(path.c_str(), kHeader, out, 0), -1);
  EXPECT_EQ(std::string(out, sizeof out), "XXXXXXXX");
}

TEST(LogTailTest, LineIsCutToOutputCapacity) {
  ScratchDir scratch;
  const std::string path = scratch.WriteFile("launch.log", kHead + "ValueError: bad\n");
  char out[16];
  std::memset(out, 'X', sizeof out);
  EXPECT_EQ(ReadLastLogLine(path.c_str(), kHeader, out, 6), 0);
  EXPECT_STREQ(out, "Value");
  EXPECT_EQ(out[6], 'X');
}

}  // namespace
}  // namespace ormix
