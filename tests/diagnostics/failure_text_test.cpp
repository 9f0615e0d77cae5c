// The words of the failure report, composed without a box: headline, detail, where the log is.
#include "diagnostics/failure_text.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/named_cases.h"

namespace ormix {
namespace {

constexpr char kName[] = "Ormix Converter";
constexpr char kSupport[] = "help@ormix.example";
constexpr char kLogPath[] =
    "C:\\Users\\me\\AppData\\Roaming\\Ormix\\logs\\OrmixConverter-launch.log";

constexpr char kMemoryFault[] =
    "It crashed inside a component (a memory fault), not in its own code.";
constexpr char kMissingPartHint[] =
    " Part of the program is missing: this copy is incomplete, or its files are mixed with "
    "another version's. Extract the whole zip again into an empty folder.";
constexpr char kDllHint[] =
    " A component could not be loaded. Check the antivirus quarantine, and extract the whole zip "
    "again, keeping every file together.";
constexpr char kPermissionHint[] =
    " It is not allowed to write where it is. Move the folder somewhere you own, such as "
    "Documents, or run it from a different drive.";

std::string Compose(std::uint32_t code, std::uint64_t elapsed_ms, const char* log_path,
                    const char* last_line, const char* name = kName) {
  char out[kFailureTextCapacity];
  std::memset(out, 'X', sizeof out);
  ComposeFailureText(name, code, elapsed_ms, log_path, last_line, kSupport, out, sizeof out);
  return out;
}

// The report's paragraphs: headline, detail, and the log sentence.
std::vector<std::string> Paragraphs(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t from = 0;
  for (std::size_t at; (at = text.find("\n\n", from)) != std::string::npos; from = at + 2)
    parts.push_back(text.substr(from, at - from));
  parts.push_back(text.substr(from));
  return parts;
}

std::string Detail(const std::string& text) {
  std::vector<std::string> parts = Paragraphs(text);
  return parts.size() > 1 ? parts[1] : "";
}

std::string WithLogEnding(const std::string& log_path) {
  return "What happened was written to:\n" + log_path +
         "\n\nIf it keeps happening, send that file to help@ormix.example.";
}
constexpr char kNoLogEnding[] =
    "No launch log could be written. If it keeps happening, write to help@ormix.example.";

bool EndsWith(const std::string& text, const std::string& ending) {
  return text.size() >= ending.size() &&
         text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

TEST(FailureTextTest, WholeReportWithoutLog) {
  const std::string expected =
      "Ormix Converter stopped unexpectedly.\n\n"
      "It exited with code 3221225473 and left no message.\n\n"
      "No launch log could be written. If it keeps happening, write to help@ormix.example.";
  EXPECT_EQ(Compose(0xC0000001u, 120000, "", ""), expected);
  EXPECT_EQ(Compose(0xC0000001u, 120000, nullptr, nullptr), expected);
}

TEST(FailureTextTest, WholeReportWithLogLineAndHint) {
  EXPECT_EQ(Compose(1, 1500, kLogPath, "ModuleNotFoundError: No module named 'PIL'"),
            "Ormix Converter did not start.\n\n"
            "Python reported: ModuleNotFoundError: No module named 'PIL' Part of the program is "
            "missing: this copy is incomplete, or its files are mixed with another version's. "
            "Extract the whole zip again into an empty folder.\n\n"
            "What happened was written to:\n"
            "C:\\Users\\me\\AppData\\Roaming\\Ormix\\logs\\OrmixConverter-launch.log\n\n"
            "If it keeps happening, send that file to help@ormix.example.");
}

TEST(FailureTextTest, WholeReportForWrongImageNamesProduct) {
  EXPECT_EQ(Compose(0xC000007Bu, 800, kLogPath, "ImportError: DLL load failed", "Acme Tool"),
            "Acme Tool did not start.\n\n"
            "A file in its folder is damaged, or is the wrong kind for this computer (Acme Tool "
            "needs 64-bit Windows). Download and extract it again.\n\n"
            "What happened was written to:\n"
            "C:\\Users\\me\\AppData\\Roaming\\Ormix\\logs\\OrmixConverter-launch.log\n\n"
            "If it keeps happening, send that file to help@ormix.example.");
}

// ---- exit codes with their own detail ----

struct CodeCase {
  const char* name;
  std::uint32_t code;
  const char* detail;
};

using test::PrintTo;

class FailureTextCodeTest : public testing::TestWithParam<CodeCase> {};

TEST_P(FailureTextCodeTest, DetailComesFromCodeNotLog) {
  const CodeCase& c = GetParam();
  const std::string with_log = Compose(c.code, 1000, kLogPath, "ValueError: from the log");
  EXPECT_EQ(Detail(with_log), c.detail);
  EXPECT_EQ(with_log.find("from the log"), std::string::npos);
  EXPECT_TRUE(EndsWith(with_log, "\n\n" + WithLogEnding(kLogPath))) << with_log;

  const std::string without_log = Compose(c.code, 1000, "", "");
  EXPECT_EQ(Detail(without_log), c.detail);
  EXPECT_TRUE(EndsWith(without_log, std::string("\n\n") + kNoLogEnding)) << without_log;
}

INSTANTIATE_TEST_SUITE_P(
    Table, FailureTextCodeTest,
    testing::Values(
        CodeCase{"AccessViolation", 0xC0000005u, kMemoryFault},
        CodeCase{"HeapCorruption", 0xC0000374u, kMemoryFault},
        CodeCase{"StackBufferOverrun", 0xC0000409u, kMemoryFault},
        CodeCase{"AccessDenied", 0xC0000022u,
                 "Windows refused to run its files. Antivirus, application control or a folder "
                 "permission is blocking it. Try extracting it to a folder of your own, such as "
                 "Documents, and check the antivirus quarantine."},
        CodeCase{"InvalidImageFormat", 0xC000007Bu,
                 "A file in its folder is damaged, or is the wrong kind for this computer (Ormix "
                 "Converter needs 64-bit Windows). Download and extract it again."},
        CodeCase{"DllNotFound", 0xC0000135u,
                 "A file it needs is missing (Windows reported that a DLL could not be found). If "
                 "this is a portable copy, extract the whole zip again, keeping every file "
                 "together, and check whether antivirus quarantined a file from its folder."},
        CodeCase{"DllInitFailed", 0xC0000142u,
                 "A file it needs could not be started (a DLL failed to initialise). Sign out of "
                 "Windows and back in, or restart the computer, then try again."}),
    test::CaseName());

// ---- other codes: the log's last line and its hint ----

struct HintCase {
  const char* name;
  const char* line;
  const char* hint;
};

class FailureTextHintTest : public testing::TestWithParam<HintCase> {};

TEST_P(FailureTextHintTest, ReportsLineWithHint) {
  const HintCase& c = GetParam();
  const std::string text = Compose(1, 2000, kLogPath, c.line);
  EXPECT_EQ(Detail(text), std::string("Python reported: ") + c.line + c.hint);
  EXPECT_TRUE(EndsWith(text, "\n\n" + WithLogEnding(kLogPath))) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, FailureTextHintTest,
    testing::Values(
        HintCase{"NoModuleNamed", "ModuleNotFoundError: No module named 'x'", kMissingPartHint},
        HintCase{"DllLoadFailed", "ImportError: DLL load failed while importing _ctypes", kDllHint},
        HintCase{"MissingModuleBeatsDll",
                 "ImportError: DLL load failed while importing a: No module named 'b'",
                 kMissingPartHint},
        HintCase{"PermissionErrorAndDeniedGiveOneHint",
                 "PermissionError: [Errno 13] Permission denied: 'C:\\Program Files\\x.db'",
                 kPermissionHint},
        HintCase{"PermissionDenied", "OSError: [Errno 13] Permission denied", kPermissionHint},
        HintCase{"PermissionErrorAlone", "PermissionError: cannot write", kPermissionHint},
        HintCase{"LowerCaseGetsNoHint", "permissionerror: no module named x, dll load failed", ""},
        HintCase{"OrdinaryError", "ValueError: invalid literal for int()", ""},
        HintCase{"PercentSignsStayText", "KeyError: '%s %lu %d %% %n'", ""}),
    test::CaseName());

// ---- other codes without a line: the code in unsigned decimal ----

struct NumberCase {
  const char* name;
  std::uint32_t code;
  const char* decimal;
};

class FailureTextNumberTest : public testing::TestWithParam<NumberCase> {};

TEST_P(FailureTextNumberTest, NamesExitCode) {
  const NumberCase& c = GetParam();
  const std::string expected =
      std::string("It exited with code ") + c.decimal + " and left no message.";
  // A log that holds only the header line gives an empty last line, and is still named.
  EXPECT_EQ(Detail(Compose(c.code, 5000, kLogPath, "")), expected);
  EXPECT_EQ(Detail(Compose(c.code, 5000, "", "")), expected);
}

INSTANTIATE_TEST_SUITE_P(Table, FailureTextNumberTest,
                         testing::Values(NumberCase{"One", 1u, "1"},
                                         NumberCase{"HighBitSet", 0xC0000001u, "3221225473"},
                                         NumberCase{"NextToTableCode", 0xC0000006u, "3221225478"},
                                         NumberCase{"Largest", 0xFFFFFFFFu, "4294967295"}),
                         test::CaseName());

TEST(FailureTextTest, HeadlineTurnsAtOneMinute) {
  struct {
    std::uint64_t elapsed_ms;
    const char* headline;
  } const cases[] = {
      {0, "Ormix Converter did not start."},
      {59999, "Ormix Converter did not start."},
      {60000, "Ormix Converter stopped unexpectedly."},
      {UINT64_MAX, "Ormix Converter stopped unexpectedly."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.elapsed_ms);
    EXPECT_EQ(Paragraphs(Compose(1, c.elapsed_ms, kLogPath, "ValueError: x"))[0], c.headline);
    EXPECT_EQ(Paragraphs(Compose(0xC0000005u, c.elapsed_ms, "", ""))[0], c.headline);
  }
}

// ---- texts longer than their buffers ----

// 300 bytes of a log in the ANSI code page can decode to 900 bytes of UTF-8; the hint still fits.
TEST(FailureTextTest, LongestDecodedLineKeepsItsHint) {
  std::string line = "ModuleNotFoundError: No module named '";
  while (line.size() + 3 + 1 < kDecodedLogLineCapacity) line += "€";
  line += "'";
  ASSERT_LT(line.size(), kDecodedLogLineCapacity);
  EXPECT_EQ(Detail(Compose(1, 1000, kLogPath, line.c_str())),
            "Python reported: " + line + kMissingPartHint);
}

TEST(FailureTextTest, DetailIsCutAtItsCapacity) {
  const std::string line(3000, 'x');
  const std::string text = Compose(1, 1000, kLogPath, line.c_str());
  EXPECT_EQ(Detail(text), "Python reported: " + std::string(kDetailCapacity - 1 - 17, 'x'));
  EXPECT_TRUE(EndsWith(text, "\n\n" + WithLogEnding(kLogPath)));
}

TEST(FailureTextTest, HeadlineIsCutAt255Bytes) {
  const std::string name(300, 'N');
  EXPECT_EQ(Paragraphs(Compose(1, 1000, "", "", name.c_str()))[0], std::string(255, 'N'));
}

TEST(FailureTextTest, FinalTextIsCutAt4095Bytes) {
  const std::string path = "C:\\" + std::string(5000, 'p') + "\\launch.log";
  const std::string full =
      "Ormix Converter did not start.\n\nIt exited with code 1 and left no "
      "message.\n\n" +
      WithLogEnding(path);
  std::vector<char> out(kFailureTextCapacity + 64, '#');
  ComposeFailureText(kName, 1, 1000, path.c_str(), "", kSupport, out.data(), kFailureTextCapacity);
  EXPECT_EQ(std::string(out.data()), full.substr(0, kFailureTextCapacity - 1));
  EXPECT_EQ(out[kFailureTextCapacity], '#');
}

TEST(FailureTextTest, SmallBufferIsCutAndTerminated) {
  char out[16];
  std::memset(out, '#', sizeof out);
  ComposeFailureText(kName, 1, 1000, kLogPath, "ValueError: x", kSupport, out, 10);
  EXPECT_STREQ(out, "Ormix Con");
  EXPECT_EQ(out[10], '#');
}

}  // namespace
}  // namespace ormix
