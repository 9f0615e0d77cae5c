#include "bootstrap/pe_image_check.h"

#include "common/ascii.h"

namespace ormix {
namespace {

// Offsets and values of the PE format (Microsoft's "PE Format" documentation); only the fields
// the check reads.
constexpr std::size_t kDosHeaderSize = 64;
constexpr std::size_t kNewHeaderOffsetField = 0x3C;  // e_lfanew
constexpr std::size_t kFileHeaderSize = 20;          // after the 4-byte "PE\0\0"
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::uint16_t kExecutableImage = 0x0002;  // IMAGE_FILE_EXECUTABLE_IMAGE
constexpr std::uint16_t kDllImage = 0x2000;         // IMAGE_FILE_DLL
constexpr std::size_t kSecurityDirectory = 4;       // its address is a file offset, not an RVA

// Little-endian reads that report a field outside the head instead of reading past it.
bool Read16(std::string_view bytes, std::uint64_t at, std::uint16_t& value) {
  if (at > bytes.size() || bytes.size() - at < 2)
    return false;
  value = static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                     static_cast<unsigned char>(bytes[at + 1]) << 8);
  return true;
}

bool Read32(std::string_view bytes, std::uint64_t at, std::uint32_t& value) {
  std::uint16_t low, high;
  if (!Read16(bytes, at, low) || !Read16(bytes, at + 2, high))
    return false;
  value = static_cast<std::uint32_t>(low) | static_cast<std::uint32_t>(high) << 16;
  return true;
}

// Whether offset + size bytes fit a file of file_size. 64-bit sums: two 32-bit fields cannot
// overflow them, so a huge offset cannot wrap round to a small end.
bool Within(std::uint32_t offset, std::uint32_t size, std::uint64_t file_size) {
  return static_cast<std::uint64_t>(offset) + size <= file_size;
}

}  // namespace

PeImageCheck CheckPeImage(std::string_view head, std::uint64_t file_size) {
  head = Head(head, file_size < head.size() ? static_cast<std::size_t>(file_size) : head.size());
  if (head.size() < kDosHeaderSize || head[0] != 'M' || head[1] != 'Z')
    return PeImageCheck::kNotAnImage;
  std::uint32_t nt = 0;
  Read32(head, kNewHeaderOffsetField, nt);
  if (Head(Tail(head, nt), 4) != std::string_view("PE\0\0", 4))
    return PeImageCheck::kNotAnImage;

  const std::uint64_t file_header = static_cast<std::uint64_t>(nt) + 4;
  std::uint16_t section_count, optional_size, characteristics, magic;
  if (!Read16(head, file_header + 2, section_count) ||
      !Read16(head, file_header + 16, optional_size) ||
      !Read16(head, file_header + 18, characteristics)) {
    return PeImageCheck::kNotAnImage;
  }
  const std::uint64_t optional = file_header + kFileHeaderSize;
  if (!Read16(head, optional, magic) || (magic != kPe32Magic && magic != kPe32PlusMagic))
    return PeImageCheck::kNotAnImage;
  // The data directories follow a fixed part that is 16 bytes longer in PE32+.
  const std::uint64_t directories = magic == kPe32PlusMagic ? 112 : 96;
  std::uint32_t headers_size, directory_count;
  if (optional_size < directories || !Read32(head, optional + 60, headers_size) ||
      !Read32(head, optional + directories - 4, directory_count)) {
    return PeImageCheck::kNotAnImage;
  }
  const std::uint64_t sections = optional + optional_size;
  if (section_count == 0 ||
      sections + static_cast<std::uint64_t>(section_count) * kSectionHeaderSize > head.size()) {
    return PeImageCheck::kNotAnImage;
  }

  if ((characteristics & kExecutableImage) == 0 || (characteristics & kDllImage) != 0)
    return PeImageCheck::kNotAProgram;

  if (headers_size > file_size)
    return PeImageCheck::kCutShort;
  for (std::uint64_t i = 0; i < section_count; ++i) {
    std::uint32_t raw_size = 0, raw_offset = 0;
    Read32(head, sections + i * kSectionHeaderSize + 16, raw_size);
    Read32(head, sections + i * kSectionHeaderSize + 20, raw_offset);
    if (raw_size != 0 && !Within(raw_offset, raw_size, file_size))
      return PeImageCheck::kCutShort;
  }
  // The certificate table, when the optional header has room for its entry: a signature is
  // appended last, so a transfer cut anywhere before the end of a signed file lands here.
  const std::uint64_t security = directories + kSecurityDirectory * 8;
  if (directory_count > kSecurityDirectory && security + 8 <= optional_size) {
    std::uint32_t table_offset = 0, table_size = 0;
    Read32(head, optional + security, table_offset);
    Read32(head, optional + security + 4, table_size);
    if (table_size != 0 && !Within(table_offset, table_size, file_size))
      return PeImageCheck::kCutShort;
  }
  return PeImageCheck::kComplete;
}

}  // namespace ormix
