// Reading a PE image file from its bytes: the headers, the sections, addresses in the loaded image
// mapped back to the file, and the import table. Every read is checked against the file's end, so
// a damaged or truncated image reads as invalid or empty, never past the bytes.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace ormix::test {

class PeFile {
 public:
  explicit PeFile(std::string bytes);

  // The DOS and NT signatures and the whole section table are there.
  bool valid() const { return valid_; }
  std::size_t size() const { return bytes_.size(); }
  const IMAGE_FILE_HEADER& file() const { return nt_.FileHeader; }
  const IMAGE_OPTIONAL_HEADER64& optional() const { return nt_.OptionalHeader; }
  const std::vector<IMAGE_SECTION_HEADER>& sections() const { return sections_; }
  const IMAGE_DATA_DIRECTORY& directory(int index) const {
    return nt_.OptionalHeader.DataDirectory[index];
  }

  static std::string NameOf(const IMAGE_SECTION_HEADER& section);

  // The section whose memory holds this address of the loaded image, or null.
  const IMAGE_SECTION_HEADER* SectionAt(DWORD rva) const;

  // The file offset of an address in the loaded image, when the file holds its byte.
  std::optional<std::size_t> OffsetOf(DWORD rva) const;

  // Reads a record at an address of the loaded image; false when the file does not hold it whole.
  template <typename T>
  bool ReadAt(DWORD rva, T& out) const {
    std::optional<std::size_t> offset = OffsetOf(rva);
    return offset && Read(*offset, out);
  }

  // The zero-terminated string at an address of the loaded image ("" when there is none).
  std::string StringAt(DWORD rva) const;

  // Where the linker's output ends: the sections' data and, in a build that is not stripped, the
  // COFF symbol table with its string table. What follows was added later.
  std::size_t EndOfLinkerOutput() const;

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

// The import table in its order; empty when the image has none or it cannot be read.
std::vector<Import> ImportsOf(const PeFile& pe);

}  // namespace ormix::test
