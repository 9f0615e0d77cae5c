// The launcher's PE image as a packager ships it, read byte by byte: what kind of program it is,
// the mitigations Windows applies to it, that nothing in it changes from build to build, its
// checksum, what it imports, that it is not packed, and how big it is.
#include <windows.h>
#include <imagehlp.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "support/launcher_under_test.h"
#include "support/pe_file.h"
#include "support/process_run.h"
#include "support/scratch_dir.h"

namespace ormix::test {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return text;
}

class PeImageTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FileExists(path_)) << path_;
    ASSERT_TRUE(pe_.valid()) << path_ << " is not a PE image";
  }

  std::string path_ = LauncherUnderTest();
  PeFile pe_{ReadWholeFile(path_)};
};

TEST_F(PeImageTest, IsA64BitWindowsGuiProgram) {
  EXPECT_EQ(pe_.file().Machine, IMAGE_FILE_MACHINE_AMD64);
  EXPECT_EQ(pe_.optional().Magic, IMAGE_NT_OPTIONAL_HDR64_MAGIC);
  EXPECT_EQ(pe_.optional().Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI) << "a console would open";
  EXPECT_TRUE(pe_.file().Characteristics & IMAGE_FILE_EXECUTABLE_IMAGE);
  EXPECT_FALSE(pe_.file().Characteristics & IMAGE_FILE_DLL);
}

TEST_F(PeImageTest, TakesEveryAddressSpaceMitigation) {
  const struct {
    WORD flag;
    const char* name;
  } kFlags[] = {
      {IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE, "DYNAMIC_BASE"},
      {IMAGE_DLLCHARACTERISTICS_NX_COMPAT, "NX_COMPAT"},
      {IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA, "HIGH_ENTROPY_VA"},
  };
  for (const auto& f : kFlags) {
    EXPECT_TRUE(pe_.optional().DllCharacteristics & f.flag) << f.name << " is not set";
  }
  // High-entropy addresses lie above 4 GB; the flag means nothing without this one.
  EXPECT_TRUE(pe_.file().Characteristics & IMAGE_FILE_LARGE_ADDRESS_AWARE);
  // Without relocations the loader cannot move the image, whatever DYNAMIC_BASE says.
  EXPECT_FALSE(pe_.file().Characteristics & IMAGE_FILE_RELOCS_STRIPPED);
  EXPECT_GT(pe_.directory(IMAGE_DIRECTORY_ENTRY_BASERELOC).Size, 0u);
}

TEST_F(PeImageTest, CarriesNoBuildTime) {
  EXPECT_EQ(pe_.file().TimeDateStamp, 0u);
  IMAGE_RESOURCE_DIRECTORY resources;
  ASSERT_TRUE(pe_.ReadAt(pe_.directory(IMAGE_DIRECTORY_ENTRY_RESOURCE).VirtualAddress, resources));
  EXPECT_EQ(resources.TimeDateStamp, 0u);
  const IMAGE_DATA_DIRECTORY& debug = pe_.directory(IMAGE_DIRECTORY_ENTRY_DEBUG);
  for (DWORD at = 0; at + sizeof(IMAGE_DEBUG_DIRECTORY) <= debug.Size;
       at += sizeof(IMAGE_DEBUG_DIRECTORY)) {
    IMAGE_DEBUG_DIRECTORY entry;
    ASSERT_TRUE(pe_.ReadAt(debug.VirtualAddress + at, entry));
    EXPECT_EQ(entry.TimeDateStamp, 0u) << "debug directory entry of type " << entry.Type;
  }
}

TEST_F(PeImageTest, ChecksumMatchesTheImage) {
  DWORD header_sum = 0;
  DWORD computed = 0;
  ASSERT_EQ(MapFileAndCheckSumW(Widen(path_).c_str(), &header_sum, &computed), CHECKSUM_SUCCESS);
  EXPECT_NE(header_sum, 0u) << "no checksum was written";
  EXPECT_EQ(header_sum, computed);
}

TEST_F(PeImageTest, ImportsOnlyFromWindowsItself) {
  // KERNEL32 and the C runtime alone; a compiler runtime DLL (libstdc++, libgcc, libwinpthread)
  // or any other library would be missing on a user's machine or widen what the launcher can be
  // blamed for. Every other system library is loaded from System32 where it is first needed:
  // USER32 and SHELL32 because loading them at every start cost more than the rest of a launch,
  // urlmon and comctl32 also because, not being KnownDLLs, they would be looked for in the
  // launcher's own folder first.
  const std::set<std::string> kAllowed = {"kernel32.dll", "msvcrt.dll"};
  // Calls that scanners hold against a program and that a launcher has no use for: writing into
  // or starting threads in other processes, hooking input. Plain LoadLibrary searches the
  // launcher's folder; only LoadLibraryExW with an explicit System32 search is meant to be used.
  const std::set<std::string> kRefused = {
      "WriteProcessMemory", "CreateRemoteThread", "CreateRemoteThreadEx",
      "VirtualAllocEx",     "SetWindowsHookExA",  "SetWindowsHookExW",
      "LoadLibraryA",       "LoadLibraryW",       "LoadLibraryExA"};

  std::vector<Import> imports = ImportsOf(pe_);
  ASSERT_FALSE(imports.empty());
  std::set<std::string> dlls;
  for (const Import& import : imports) {
    dlls.insert(Lower(import.dll));
    EXPECT_TRUE(kAllowed.count(Lower(import.dll))) << "imports " << import.dll;
    // A bound import carries a timestamp of the DLL it was bound to.
    EXPECT_EQ(import.time_date_stamp, 0u) << import.dll;
    for (const std::string& function : import.functions) {
      EXPECT_FALSE(kRefused.count(function)) << import.dll << "!" << function;
      EXPECT_NE(function[0], '#') << import.dll << " is imported by ordinal";
    }
  }
  EXPECT_TRUE(dlls.count("kernel32.dll"));
  EXPECT_EQ(pe_.directory(IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT).Size, 0u)
      << "delay-loaded libraries escape the list above";
}

TEST_F(PeImageTest, IsNotPacked) {
  // What GNU ld and MSVC's linker make. Long names ("/4"...) are the DWARF sections of a build
  // that is not stripped.
  const std::set<std::string> kLinkerSections = {".text",  ".data", ".rdata", ".pdata",
                                                 ".xdata", ".bss",  ".idata", ".CRT",
                                                 ".tls",   ".rsrc", ".reloc", ".edata"};
  for (const IMAGE_SECTION_HEADER& section : pe_.sections()) {
    std::string name = PeFile::NameOf(section);
    EXPECT_TRUE(kLinkerSections.count(name) || name[0] == '/') << "section " << name;
    bool writes = section.Characteristics & IMAGE_SCN_MEM_WRITE;
    bool runs = section.Characteristics & IMAGE_SCN_MEM_EXECUTE;
    EXPECT_FALSE(writes && runs) << "section " << name << " is writable and executable";
    // Code that is in memory but not in the file is written there at run time: a packer's stub.
    if (runs) {
      EXPECT_LE(section.Misc.VirtualSize, section.SizeOfRawData) << "section " << name;
    }
  }
  DWORD entry = pe_.optional().AddressOfEntryPoint;
  const IMAGE_SECTION_HEADER* home = pe_.SectionAt(entry);
  ASSERT_NE(home, nullptr);
  EXPECT_EQ(PeFile::NameOf(*home), ".text");
  EXPECT_LT(entry - home->VirtualAddress, home->SizeOfRawData);
}

TEST_F(PeImageTest, NothingFollowsTheImageButASignature) {
  // For the certificate table the "address" is a file offset.
  const IMAGE_DATA_DIRECTORY& signature = pe_.directory(IMAGE_DIRECTORY_ENTRY_SECURITY);
  std::size_t end = pe_.EndOfLinkerOutput();
  if (signature.Size == 0) {
    EXPECT_EQ(pe_.size(), end) << "bytes are appended to the image";
    return;
  }
  // The table starts on the next 8-byte boundary and runs to the end of the file.
  EXPECT_EQ(signature.VirtualAddress, (end + 7) / 8 * 8);
  EXPECT_EQ(signature.VirtualAddress + signature.Size, pe_.size());
}

#ifdef ORMIX_TEST_SIZE_BUDGET
TEST_F(PeImageTest, StaysWithinItsSizeBudget) {
  // A signature adds what the certificate needs; the budget is for the launcher's own bytes.
  const IMAGE_DATA_DIRECTORY& signature = pe_.directory(IMAGE_DIRECTORY_ENTRY_SECURITY);
  std::size_t own = signature.Size != 0 ? signature.VirtualAddress : pe_.size();
  EXPECT_LE(own, std::size_t{ORMIX_TEST_SIZE_BUDGET})
      << "the launcher grew past its budget: find what made it grow before raising the budget";
}
#endif

}  // namespace
}  // namespace ormix::test
