// Loading system DLLs from System32 only, and the shipped launcher's import table.
#include "common/system_library.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/launcher_under_test.h"
#include "support/pe_file.h"
#include "support/scratch_dir.h"

namespace ormix {
namespace {

TEST(SystemLibraryTest, FunctionIsNullWhenItsDllOrItselfIsMissing) {
  struct Case {
    const wchar_t* dll;
    const char* function;
    bool found;
  } cases[] = {
      {L"urlmon.dll", "URLDownloadToFileW", true},
      {L"comctl32.dll", "InitCommonControlsEx", true},
      {L"user32.dll", "MessageBoxA", true},
      {L"shell32.dll", "ShellExecuteExW", true},
      {L"urlmon.dll", "NoSuchFunction", false},
      {L"ormix-no-such.dll", "URLDownloadToFileW", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LoadSystemProc(c.dll, c.function) != nullptr, c.found) << c.function;
  }
}

// The DLL names in a PE file's import table, upper case.
std::vector<std::string> ImportedDlls(const std::string& image) {
  std::vector<std::string> names;
  for (const test::Import& import : test::ImportsOf(test::PeFile(image))) {
    std::string name = import.dll;
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c); });
    names.push_back(name);
  }
  return names;
}

// Every DLL bound here at its point of use must stay out of the import table, where it would be
// loaded at every start (and, outside KnownDLLs, looked for in the launcher's folder first).
TEST(SystemLibraryTest, ShippedLauncherImportsNoneOfTheDllsItBindsLate) {
  std::string image = test::ReadWholeFile(test::LauncherUnderTest());
  ASSERT_GT(image.size(), 4096u);
  std::vector<std::string> dlls = ImportedDlls(image);
  ASSERT_NE(std::find(dlls.begin(), dlls.end(), "KERNEL32.DLL"), dlls.end());
  for (const char* name : {"URLMON.DLL", "COMCTL32.DLL", "WININET.DLL", "WINTRUST.DLL",
                           "CRYPT32.DLL", "USER32.DLL", "SHELL32.DLL"}) {
    EXPECT_EQ(std::find(dlls.begin(), dlls.end(), name), dlls.end()) << name;
  }
}

}  // namespace
}  // namespace ormix
