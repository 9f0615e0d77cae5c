// Folder names the launcher must handle wherever they stand: outside the ANSI code page (most
// users' profiles in Asia and Eastern Europe, a symbol, a character outside the BMP, combining
// marks) and, as the control, inside it. UTF-8, like every path of the tests.
#pragma once

#include "support/named_cases.h"

namespace ormix::test {

struct FolderName {
  const char* name;  // the row's name in test output
  const char* text;  // the folder's name
};

// For testing::ValuesIn, with test::CaseName (support/named_cases.h) for the rows' names.
inline constexpr FolderName kFolderNames[] = {
    {"CjkWithGreek", "测试 Ωμέγα"},
    {"PolishWithASymbol", "Łódź ✓"},
    {"OutsideTheBmp", "emoji 😀"},
    // Decomposed: e and n followed by their accents, as macOS archives name files.
    {"CombiningMarks", "Cafe\u0301 man\u0303ana"},
    {"InsideTheCodePage", "Café"},
};

}  // namespace ormix::test
