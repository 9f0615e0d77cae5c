// The last meaningful line of a launch log: trimming, the 300-byte cap, the header line and the
// 8192-byte window, read from real files.
#include "diagnostics/log_tail.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "common/utf8.h"
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

// A stand-in for an ANSI code page, since the text core has none: each byte is the character of
// the same number (ISO 8859-1), so every byte decodes and the result is easy to foresee.
int DecodeLatin1(std::string_view bytes, std::size_t limit, char* out, std::size_t capacity) {
  std::string text;
  for (std::size_t i = 0; i < bytes.size() && i < limit; ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) {
      text.push_back(static_cast<char>(c));
    } else {
      text.push_back(static_cast<char>(0xC0 | (c >> 6)));
      text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  if (text.size() >= capacity)
    text.resize(Utf8CutLength(text, capacity - 1));
  std::memcpy(out, text.c_str(), text.size() + 1);
  return 0;
}

int RefuseToDecode(std::string_view, std::size_t, char* out, std::size_t) {
  out[0] = '\0';
  return -1;
}

// A decoder that claims success with bytes that are not UTF-8 is not believed.
int DecodeToGarbage(std::string_view, std::size_t, char* out, std::size_t capacity) {
  std::memcpy(out, "\xFF\xFE", capacity < 3 ? 0 : 3);
  return 0;
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
  char out[kDecodedLogLineCapacity];
  std::memset(out, 'X', sizeof out);
  EXPECT_EQ(ReadLastLogLine(path.c_str(), c.header, out, sizeof out, DecodeLatin1), 0);
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
        // Not UTF-8, so decoded from the code page; 0xA0 is no white space.
        TailCase{"HighBytesDecoded",
                 kHead + "\xA0"
                         "Fehler \xFC\xFF\xA0\n",
                 kHeader, "\u00A0Fehler üÿ\u00A0"},
        TailCase{"Utf8KeptAsItIs", kHead + "ValueError: 测试 Ωμέγα ✓ 😀\r\n", kHeader,
                 "ValueError: 测试 Ωμέγα ✓ 😀"},
        // The header is compared byte for byte whatever its characters.
        TailCase{"Utf8HeaderRepeated",
                 "Ormix Converter 1.0.0 launcher: C:\\测试\\python.exe -m m\nerror\n"
                 "Ormix Converter 1.0.0 launcher: C:\\测试\\python.exe -m m\n",
                 "Ormix Converter 1.0.0 launcher: C:\\测试\\python.exe -m m", "error"},
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

// ---- DecodeLogLine: what the report shows ----

struct DecodeCase {
  const char* name;
  std::string line;
  AnsiDecoder decoder;
  std::string expected;
};

class DecodeLogLineTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeLogLineTest, ShowsUtf8) {
  const DecodeCase& c = GetParam();
  char out[kDecodedLogLineCapacity + 8];
  std::memset(out, 'X', sizeof out);
  DecodeLogLine(c.line, c.decoder, out, kDecodedLogLineCapacity);
  EXPECT_EQ(std::string(out), c.expected);
  EXPECT_TRUE(IsValidUtf8(out));
  EXPECT_EQ(out[kDecodedLogLineCapacity], 'X');
}

std::string Repeat(const std::string& text, std::size_t times) {
  std::string all;
  while (times-- > 0) all += text;
  return all;
}

const std::string kA297(297, 'a');
const std::string kA298(298, 'a');
const std::string kA299(299, 'a');

INSTANTIATE_TEST_SUITE_P(
    Table, DecodeLogLineTest,
    testing::Values(
        DecodeCase{"Utf8AsItIs", "Łódź ✓ 😀", DecodeLatin1, "Łódź ✓ 😀"},
        DecodeCase{"AsciiAsItIs", "ValueError: bad", nullptr, "ValueError: bad"},
        // The 300-byte cut drops a character that it would split.
        DecodeCase{"TwoByteCharacterAcrossTheCut", kA299 + "é", DecodeLatin1, kA299},
        DecodeCase{"ThreeByteCharacterAcrossTheCut", kA298 + "€", DecodeLatin1, kA298},
        DecodeCase{"FourByteCharacterAcrossTheCut", kA297 + "😀", DecodeLatin1, kA297},
        DecodeCase{"CharacterEndingAtTheCut", kA297 + "€", DecodeLatin1, kA297 + "€"},
        // Judged on the whole line: UTF-8 in its first 300 bytes but not after them.
        DecodeCase{"Utf8OnlyBeforeTheCut", kA299 + "é" + "\xE9", DecodeLatin1, kA299 + "Ã"},
        DecodeCase{"CodePageText", "PermissionError: 'Caf\xE9 \xFC.txt'", DecodeLatin1,
                   "PermissionError: 'Café ü.txt'"},
        // 300 bytes of the log, twice as many in UTF-8.
        DecodeCase{"CodePageTextGrows", std::string(400, '\xE9'), DecodeLatin1, Repeat("é", 300)},
        // Without a code page, what is not UTF-8 shows as U+FFFD and the rest as it is.
        DecodeCase{"NoDecoder", "Caf\xE9 ✓", nullptr, "Caf\uFFFD ✓"},
        DecodeCase{"DecoderFails", "Caf\xE9 ✓", RefuseToDecode, "Caf\uFFFD ✓"},
        DecodeCase{"DecoderGivesGarbage", "Caf\xE9", DecodeToGarbage, "Caf\uFFFD"},
        DecodeCase{"NoDecoderAtTheCut", kA298 + "\xE9" + "bc", nullptr, kA298 + "\uFFFDb"},
        DecodeCase{"Empty", "", DecodeLatin1, ""}),
    test::CaseName());

TEST(DecodeLogLineTest, SmallCapacityCutsBetweenCharacters) {
  for (AnsiDecoder decoder : {static_cast<AnsiDecoder>(DecodeLatin1), AnsiDecoder{}}) {
    char out[8];
    std::memset(out, 'X', sizeof out);
    DecodeLogLine("aé€", decoder, out, 5);
    EXPECT_STREQ(out, "aé");
    DecodeLogLine("a\xE9\xE9", decoder, out, 4);
    EXPECT_EQ(IsValidUtf8(out), true);
    EXPECT_EQ(std::strlen(out), decoder != nullptr ? 3u : 1u) << out;
    EXPECT_EQ(out[5], 'X');
  }
}

// The window of the last 8192 bytes can begin inside a character; the line it cut is still UTF-8.
TEST(LogTailTest, WindowStartingInsideACharacterStillReadsAsUtf8) {
  for (std::size_t shift = 0; shift < 3; ++shift) {
    SCOPED_TRACE(shift);
    ScratchDir scratch;
    // The window starts 1, 2 and 0 bytes into a character.
    const std::string line = Repeat("测", 4000) + std::string(shift, 'x');
    const std::string path = scratch.WriteFile("launch.log", kHead + line);
    char out[kDecodedLogLineCapacity];
    EXPECT_EQ(ReadLastLogLine(path.c_str(), kHeader, out, sizeof out, DecodeLatin1), 0);
    EXPECT_EQ(std::string(out), Repeat("测", 100));
  }
}

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
