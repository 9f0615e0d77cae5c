// The launcher's PE image as a packager ships it, read byte by byte: what kind of program it is,
// the mitigations Windows applies to it, that nothing in it changes from build to build, its
// checksum, what it imports, that it is not packed, and how big it is.
#include <windows.h>
#include <imagehlp.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "support/launcher_under_test.h"
#include "support/process_run.h"
#include "support/scratch_dir.h"

namespace ormix::test {
namespace {

// The headers and sections of an image file, with every read checked against the file's end.
class PeFile {
 public:
  explicit PeFile(std::string bytes) : bytes_(std::move(bytes)) {
    IMAGE_DOS_HEADER dos;
    if (!Read(0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE)
      return;
    nt_offset_ = static_cast<std::size_t>(dos.e_lfanew);
    if (!Read(nt_offset_, nt_) || nt_.Signature != IMAGE_NT_SIGNATURE)
      return;
    std::size_t table = nt_offset_ + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) +
                        nt_.FileHeader.SizeOfOptionalHeader;
    for (WORD i = 0; i < nt_.FileHeader.NumberOfSections; ++i) {
      IMAGE_SECTION_HEADER section;
      if (!Read(table + i * sizeof section, section))
        return;
      sections_.push_back(section);
    }
    valid_ = true;
  }

  bool valid() const { return valid_; }
  std::size_t size() const { return bytes_.size(); }
  const IMAGE_FILE_HEADER& file() const { return nt_.FileHeader; }
  const IMAGE_OPTIONAL_HEADER64& optional() const { return nt_.OptionalHeader; }
  const std::vector<IMAGE_SECTION_HEADER>& sections() const { return sections_; }
  const IMAGE_DATA_DIRECTORY& directory(int index) const {
    return nt_.OptionalHeader.DataDirectory[index];
  }

  static std::string NameOf(const IMAGE_SECTION_HEADER& section) {
    const char* name = reinterpret_cast<const char*>(section.Name);
    return std::string(name, strnlen(name, IMAGE_SIZEOF_SHORT_NAME));
  }

  const IMAGE_SECTION_HEADER* SectionAt(DWORD rva) const {
    for (const IMAGE_SECTION_HEADER& section : sections_) {
      DWORD extent = std::max(section.Misc.VirtualSize, section.SizeOfRawData);
      if (rva >= section.VirtualAddress && rva - section.VirtualAddress < extent)
        return &section;
    }
    return nullptr;
  }

  // The file offset of an address in the loaded image, when the file holds its byte.
  std::optional<std::size_t> OffsetOf(DWORD rva) const {
    const IMAGE_SECTION_HEADER* section = SectionAt(rva);
    if (section == nullptr || rva - section->VirtualAddress >= section->SizeOfRawData)
      return std::nullopt;
    return section->PointerToRawData + (rva - section->VirtualAddress);
  }

  template <typename T>
  bool ReadAt(DWORD rva, T& out) const {
    std::optional<std::size_t> offset = OffsetOf(rva);
    return offset && Read(*offset, out);
  }

  std::string StringAt(DWORD rva) const {
    std::optional<std::size_t> offset = OffsetOf(rva);
    if (!offset)
      return "";
    std::size_t end = bytes_.find('\0', *offset);
    return bytes_.substr(*offset, end == std::string::npos ? std::string::npos : end - *offset);
  }

  // Where the linker's output ends: the sections' data and, in a build that is not stripped, the
  // COFF symbol table with its string table. What follows was added later.
  std::size_t EndOfLinkerOutput() const {
    std::size_t end = optional().SizeOfHeaders;
    for (const IMAGE_SECTION_HEADER& section : sections_)
      end = std::max<std::size_t>(end, section.PointerToRawData + section.SizeOfRawData);
    if (file().PointerToSymbolTable != 0) {
      std::size_t strings =
          file().PointerToSymbolTable + std::size_t{file().NumberOfSymbols} * IMAGE_SIZEOF_SYMBOL;
      DWORD strings_size = 0;  // counts its own four bytes
      if (Read(strings, strings_size))
        end = std::max(end, strings + strings_size);
    }
    return end;
  }

 private:
  template <typename T>
  bool Read(std::size_t offset, T& out) const {
    if (offset > bytes_.size() || bytes_.size() - offset < sizeof out)
      return false;
    std::memcpy(&out, bytes_.data() + offset, sizeof out);
    return true;
  }

  std::string bytes_;
  std::size_t nt_offset_ = 0;
  IMAGE_NT_HEADERS64 nt_ = {};
  std::vector<IMAGE_SECTION_HEADER> sections_;
  bool valid_ = false;
};

struct Import {
  std::string dll;
  std::vector<std::string> functions;  // "#n" for an import by ordinal
  DWORD time_date_stamp;
};

std::vector<Import> ImportsOf(const PeFile& pe) {
  std::vector<Import> imports;
  DWORD rva = pe.directory(IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress;
  for (IMAGE_IMPORT_DESCRIPTOR descriptor; pe.ReadAt(rva, descriptor) && descriptor.Name != 0;
       rva += sizeof descriptor) {
    Import import = {pe.StringAt(descriptor.Name), {}, descriptor.TimeDateStamp};
    DWORD thunk_rva =
        descriptor.OriginalFirstThunk ? descriptor.OriginalFirstThunk : descriptor.FirstThunk;
    for (ULONGLONG thunk; pe.ReadAt(thunk_rva, thunk) && thunk != 0; thunk_rva += sizeof thunk) {
      if (thunk & IMAGE_ORDINAL_FLAG64) {
        import.functions.push_back("#" + std::to_string(thunk & 0xFFFF));
      } else {
        // An IMAGE_IMPORT_BY_NAME: a two-byte hint, then the name.
        import.functions.push_back(pe.StringAt(static_cast<DWORD>(thunk) + 2));
      }
    }
    imports.push_back(std::move(import));
  }
  return imports;
}

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
