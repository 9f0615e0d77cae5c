#include "support/pe_file.h"

#include <algorithm>
#include <utility>

namespace ormix::test {

PeFile::PeFile(std::string bytes) : bytes_(std::move(bytes)) {
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

std::string PeFile::NameOf(const IMAGE_SECTION_HEADER& section) {
  const char* name = reinterpret_cast<const char*>(section.Name);
  return std::string(name, strnlen(name, IMAGE_SIZEOF_SHORT_NAME));
}

const IMAGE_SECTION_HEADER* PeFile::SectionAt(DWORD rva) const {
  for (const IMAGE_SECTION_HEADER& section : sections_) {
    DWORD extent = std::max(section.Misc.VirtualSize, section.SizeOfRawData);
    if (rva >= section.VirtualAddress && rva - section.VirtualAddress < extent)
      return &section;
  }
  return nullptr;
}

std::optional<std::size_t> PeFile::OffsetOf(DWORD rva) const {
  const IMAGE_SECTION_HEADER* section = SectionAt(rva);
  if (section == nullptr || rva - section->VirtualAddress >= section->SizeOfRawData)
    return std::nullopt;
  return section->PointerToRawData + (rva - section->VirtualAddress);
}

std::string PeFile::StringAt(DWORD rva) const {
  std::optional<std::size_t> offset = OffsetOf(rva);
  if (!offset || *offset >= bytes_.size())
    return "";
  std::size_t end = bytes_.find('\0', *offset);
  return bytes_.substr(*offset, end == std::string::npos ? std::string::npos : end - *offset);
}

std::size_t PeFile::EndOfLinkerOutput() const {
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

}  // namespace ormix::test
