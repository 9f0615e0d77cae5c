#include "diagnostics/archive_check.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/limits.h"
#include "common/product.h"

#include "support/named_cases.h"

namespace ormix {
namespace {

using test::PrintTo;

struct PathCase {
  const char* name;
  const char* path;
  int result;
};

class ArchiveCheckTest : public testing::TestWithParam<PathCase> {};

TEST_P(ArchiveCheckTest, SpotsTemporaryExtractionFolders) {
  const PathCase& c = GetParam();
  EXPECT_EQ(IsArchiveTempPath(c.path), c.result) << c.path;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ArchiveCheckTest,
    testing::Values(
        PathCase{"ExplorerZip", R"(C:\Users\u\AppData\Local\Temp\Temp1_Tools.zip\Tools\app.exe)",
                 1},
        PathCase{"ExplorerZipShortest", R"(C:\x\Temp1_.zip\app.exe)", 1},
        PathCase{"ExplorerZipUpperCase", R"(C:\x\TEMP3_X.ZIP\app.exe)", 1},
        PathCase{"ExplorerZipManyDigits", R"(C:\x\temp20240101_My Tools (2).Zip\app.exe)", 1},
        PathCase{"ExplorerZipForwardSlashBeforeName", "C:\\Temp3_x.zip/app.exe", 1},
        PathCase{"PlainTemp", R"(C:\Temp\app.exe)", 0},
        PathCase{"NoDigitAfterPrefix", R"(C:\x\Temp_1.zip\app.exe)", 0},
        PathCase{"LetterAfterDigits", R"(C:\x\Temp1x_.zip\app.exe)", 0},
        PathCase{"NoZipEnding", R"(C:\x\Temp12_old\app.exe)", 0},
        PathCase{"ZipWithoutDot", R"(C:\x\Temp1_zip\app.exe)", 0},
        PathCase{"ZipNotAtEnd", R"(C:\x\Temp1_a.zip.bak\app.exe)", 0},
        // 0xB9 is a superscript one in the ANSI code page, not a digit.
        PathCase{"NonAsciiDigit", "C:\\x\\Temp\xB9_a.zip\\app.exe", 0},
        PathCase{"SevenZip", R"(C:\Users\u\AppData\Local\Temp\7zO8A1B2C3D\app.exe)", 1},
        PathCase{"SevenZipPrefixCase", R"(C:\x\7zo1a\app.exe)", 1},
        PathCase{"SevenZipNothingAfterPrefix", R"(C:\x\7zO\app.exe)", 0},
        PathCase{"SevenZipHyphen", R"(C:\x\7zO12-34\app.exe)", 0},
        PathCase{"SevenZipNonAsciiLetter", "C:\\x\\7zOab\xE9\\app.exe", 0},
        PathCase{"SevenZipZeroForO", R"(C:\x\7z0AB12\app.exe)", 0},
        PathCase{"Rar", R"(C:\Users\u\AppData\Local\Temp\Rar$EXa1234.5678\app.exe)", 1},
        PathCase{"RarPrefixOnly", R"(C:\x\Rar$\app.exe)", 1},
        PathCase{"RarPrefixCase", R"(C:\x\rAR$DIa0.1\app.exe)", 1},
        PathCase{"RarWithoutDollar", R"(C:\x\Rar1234\app.exe)", 0},
        PathCase{"UncShare", R"(\\server\share\Rar$x\app.exe)", 1},
        PathCase{"UncServerName", R"(\\7zOAB12\share\app.exe)", 1},
        PathCase{"UncPlain", R"(\\server\share\Tools\app.exe)", 0},
        PathCase{"ForwardSlashes", "C:/Users/u/AppData/Local/Temp/7zO8A1B2C3D/app.exe", 1},
        PathCase{"MixedSeparators", "C:\\x/Temp1_a.zip\\Tools/app.exe", 1},
        PathCase{"DoubledSeparators", "C:\\x\\\\Rar$1\\\\app.exe", 1},
        PathCase{"MatchAfterNearMiss", R"(C:\Temp\7zO\Temp1_a.zip\app.exe)", 1},
        PathCase{"TrailingSeparator", R"(C:\x\Rar$1\)", 1},
        PathCase{"FileNameHasForm", R"(D:\Downloads\Temp1_x.zip)", 0},
        PathCase{"FileNameRar", R"(D:\Downloads\Rar$x)", 0}, PathCase{"NoSeparator", "Rar$x", 0},
        PathCase{"NoSeparatorZip", "Temp1_x.zip", 0}, PathCase{"Empty", "", 0},
        PathCase{"Null", nullptr, 0}),
    test::CaseName());

// A folder name of the given length with one of the three forms.
std::string FormOfLength(int form, std::size_t length) {
  switch (form) {
    case 1:
      return "Temp1_" + std::string(length - 10, 'a') + ".zip";
    case 2:
      return "7zO" + std::string(length - 3, 'A');
    default:
      return "Rar$" + std::string(length - 4, '.');
  }
}

TEST(ArchiveCheckLengthTest, OnlyComponentsUpTo511BytesCount) {
  for (int form = 1; form <= 3; ++form) {
    SCOPED_TRACE(form);
    EXPECT_EQ(IsArchiveTempPath(("C:\\" + FormOfLength(form, 511) + "\\app.exe").c_str()), 1);
    EXPECT_EQ(IsArchiveTempPath(("C:\\" + FormOfLength(form, 512) + "\\app.exe").c_str()), 0);
    EXPECT_EQ(IsArchiveTempPath(("C:\\" + FormOfLength(form, 4000) + "\\app.exe").c_str()), 0);
    // A long component is passed over; the walk goes on to the next one.
    EXPECT_EQ(IsArchiveTempPath(
                  ("C:\\" + FormOfLength(form, 512) + "\\" + FormOfLength(form, 20) + "\\app.exe")
                      .c_str()),
              1);
  }
  // A long file name is never examined, and does not hide the folders before it.
  EXPECT_EQ(IsArchiveTempPath(("C:\\Rar$1\\" + std::string(600, 'a')).c_str()), 1);
}

TEST(ArchiveMessageTest, NamesProductAndLauncherFile) {
  char out[kMessageCapacity];
  FormatArchiveMessage(kDisplayName, "app.exe", out, sizeof out);
  EXPECT_EQ(std::string(out),
            std::string(kDisplayName) +
                " was opened from inside the zip file, so Windows copied only that one file out "
                "and left the rest of the program behind.\n\nExtract the whole zip first: select "
                "it in File Explorer, press the Applications key, choose Extract All, and choose a "
                "folder. Then open app.exe in the extracted folder.");
}

TEST(ArchiveMessageTest, CutsToCapacity) {
  char out[16];
  std::memset(out, 'x', sizeof out);
  FormatArchiveMessage("Ormix Converter", "app.exe", out, sizeof out);
  EXPECT_STREQ(out, "Ormix Converter");
}

}  // namespace
}  // namespace ormix
