// Loading system DLLs from System32 only, and the shipped launcher's import table.
#include "common/system_library.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

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
  auto at = [&](size_t offset) { return image.data() + offset; };
  IMAGE_DOS_HEADER dos;
  std::memcpy(&dos, at(0), sizeof dos);
  IMAGE_NT_HEADERS64 nt;
  std::memcpy(&nt, at(static_cast<size_t>(dos.e_lfanew)), sizeof nt);
  size_t sections = static_cast<size_t>(dos.e_lfanew) +
                    offsetof(IMAGE_NT_HEADERS64, OptionalHeader) +
                    nt.FileHeader.SizeOfOptionalHeader;
  auto file_offset = [&](DWORD rva) -> size_t {
    for (WORD i = 0; i < nt.FileHeader.NumberOfSections; ++i) {
      IMAGE_SECTION_HEADER section;
      std::memcpy(&section, at(sections + i * sizeof section), sizeof section);
      if (rva >= section.VirtualAddress && rva < section.VirtualAddress + section.SizeOfRawData)
        return rva - section.VirtualAddress + section.PointerToRawData;
    }
    return 0;
  };
  DWORD rva = nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
  for (size_t entry = file_offset(rva); entry != 0; entry += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    IMAGE_IMPORT_DESCRIPTOR descriptor;
    std::memcpy(&descriptor, at(entry), sizeof descriptor);
    if (descriptor.Name == 0)
      break;
    std::string name = at(file_offset(descriptor.Name));
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c); });
    names.push_back(name);
  }
  return names;
}

// Every DLL bound here at its point of use must stay out of the import table, where it would be
// loaded at every start (and, outside KnownDLLs, looked for in the launcher's folder first).
TEST(SystemLibraryTest, ShippedLauncherImportsNoneOfTheDllsItBindsLate) {
  std::string image = test::ReadWholeFile(test::BinDir() + "\\OrmixConverter.exe");
  ASSERT_GT(image.size(), 4096u);
  std::vector<std::string> dlls = ImportedDlls(image);
  ASSERT_NE(std::find(dlls.begin(), dlls.end(), "KERNEL32.DLL"), dlls.end());
  for (const char* name : {"URLMON.DLL", "COMCTL32.DLL", "USER32.DLL", "SHELL32.DLL"}) {
    EXPECT_EQ(std::find(dlls.begin(), dlls.end(), name), dlls.end()) << name;
  }
}

}  // namespace
}  // namespace ormix
