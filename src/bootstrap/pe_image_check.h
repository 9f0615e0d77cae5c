// Whether a downloaded file is a whole Windows program: the checks on its PE headers that come
// before Windows is asked about its signature. Pure: it reads bytes the caller read from the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace ormix {

// The file's first bytes that the check reads; every header it looks at must lie inside them.
// Linkers put the headers and the section table in the first kilobyte or so.
inline constexpr std::size_t kPeHeadReadLimit = 4096;

enum class PeImageCheck {
  kComplete,     // a program image whose headers, sections and certificate table are all there
  kNotAnImage,   // no MZ and PE signatures, an unknown optional header, or headers past the head
  kNotAProgram,  // an image, but a DLL or one marked as not executable
  kCutShort,     // the headers name data (a section, the certificate table) past the file's end
};

// head: the file's first min(file_size, kPeHeadReadLimit) bytes; file_size: its whole length.
// Data after the last section or certificate table (an installer's payload) is allowed.
PeImageCheck CheckPeImage(std::string_view head, std::uint64_t file_size);

}  // namespace ormix
