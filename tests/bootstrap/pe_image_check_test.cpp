#include "bootstrap/pe_image_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "support/named_cases.h"

namespace ormix {
namespace {

// The headers of a small program image, written field by field, and the length of its file. The
// defaults make a complete 64-bit program: headers in the first 0x200 bytes, one section of 0x200
// bytes after them, no signature.
struct ImageLayout {
  std::uint32_t nt_offset = 0x40;
  bool pe_signature = true;
  std::uint16_t magic = 0x20B;             // PE32+; 0x10B is PE32
  std::uint16_t characteristics = 0x0022;  // executable, large-address aware
  std::uint16_t optional_size = 0;         // 0: the full size for the magic, 16 directories
  std::uint32_t directory_count = 16;
  std::uint32_t headers_size = 0x200;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> sections = {{0x200, 0x200}};  // at, size
  std::uint32_t certificates_at = 0, certificates_size = 0;
  std::uint64_t file_size = 0;  // 0: where the last section or the certificate table ends
};

void Put16(std::string& bytes, std::uint64_t at, std::uint16_t value) {
  if (at + 2 <= bytes.size()) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
  }
}

void Put32(std::string& bytes, std::uint64_t at, std::uint32_t value) {
  Put16(bytes, at, static_cast<std::uint16_t>(value & 0xFFFF));
  Put16(bytes, at + 2, static_cast<std::uint16_t>(value >> 16));
}

// The file's first min(file size, kPeHeadReadLimit) bytes, and its size.
std::pair<std::string, std::uint64_t> Build(const ImageLayout& layout) {
  std::string bytes(kPeHeadReadLimit, '\0');
  bytes[0] = 'M';
  bytes[1] = 'Z';
  Put32(bytes, 0x3C, layout.nt_offset);
  const std::uint64_t nt = layout.nt_offset;
  if (layout.pe_signature && nt + 4 <= bytes.size())
    bytes.replace(nt, 4, std::string("PE\0\0", 4));
  const bool plus = layout.magic == 0x20B;
  const std::uint16_t optional_size = layout.optional_size != 0
                                          ? layout.optional_size
                                          : static_cast<std::uint16_t>(plus ? 240 : 224);
  Put16(bytes, nt + 4, 0x8664);
  Put16(bytes, nt + 6, static_cast<std::uint16_t>(layout.sections.size()));
  Put16(bytes, nt + 20, optional_size);
  Put16(bytes, nt + 22, layout.characteristics);
  const std::uint64_t optional = nt + 24;
  Put16(bytes, optional, layout.magic);
  Put32(bytes, optional + 60, layout.headers_size);
  const std::uint64_t directories = plus ? 112 : 96;
  Put32(bytes, optional + directories - 4, layout.directory_count);
  Put32(bytes, optional + directories + 4 * 8, layout.certificates_at);
  Put32(bytes, optional + directories + 4 * 8 + 4, layout.certificates_size);
  std::uint64_t end = layout.headers_size;
  for (std::size_t i = 0; i < layout.sections.size(); ++i) {
    const std::uint64_t header = optional + optional_size + i * 40;
    if (header + 40 <= bytes.size())
      bytes.replace(header, 5, ".text");
    Put32(bytes, header + 16, layout.sections[i].second);
    Put32(bytes, header + 20, layout.sections[i].first);
    end = std::max<std::uint64_t>(
        end, std::uint64_t{layout.sections[i].first} + layout.sections[i].second);
  }
  end = std::max<std::uint64_t>(end,
                                std::uint64_t{layout.certificates_at} + layout.certificates_size);
  const std::uint64_t size = layout.file_size != 0 ? layout.file_size : end;
  bytes.resize(size < bytes.size() ? size : bytes.size());
  return {bytes, size};
}

struct ImageCase {
  const char* name;
  void (*change)(ImageLayout& layout);
  PeImageCheck result;
};

using test::PrintTo;

class PeImageCheckTest : public testing::TestWithParam<ImageCase> {};

TEST_P(PeImageCheckTest, TellsAWholeProgramFromEverythingElse) {
  ImageLayout layout;
  GetParam().change(layout);
  auto [head, size] = Build(layout);
  EXPECT_EQ(CheckPeImage(head, size), GetParam().result);
}

// A signed image: its certificate table, 0x100 bytes, follows the section at 0x400.
void Sign(ImageLayout& s) {
  s.certificates_at = 0x400;
  s.certificates_size = 0x100;
}

INSTANTIATE_TEST_SUITE_P(
    Images, PeImageCheckTest,
    testing::Values(
        ImageCase{"Program64", [](ImageLayout&) {}, PeImageCheck::kComplete},
        ImageCase{"Program32", [](ImageLayout& s) { s.magic = 0x10B; }, PeImageCheck::kComplete},
        ImageCase{"Signed", Sign, PeImageCheck::kComplete},
        ImageCase{"SignedProgram32",
                  [](ImageLayout& s) {
                    s.magic = 0x10B;
                    Sign(s);
                  },
                  PeImageCheck::kComplete},
        // An installer's payload lies past its image; the loader ignores it.
        ImageCase{"DataAfterTheImage", [](ImageLayout& s) { s.file_size = 0x400 + (1 << 20); },
                  PeImageCheck::kComplete},
        ImageCase{"EmptySectionAnywhere",
                  [](ImageLayout& s) {
                    s.sections.push_back({0xFFFFFF00u, 0});
                    s.file_size = 0x400;
                  },
                  PeImageCheck::kComplete},
        ImageCase{"SectionOneByteShort", [](ImageLayout& s) { s.file_size = 0x3FF; },
                  PeImageCheck::kCutShort},
        ImageCase{"CertificatesOneByteShort",
                  [](ImageLayout& s) {
                    Sign(s);
                    s.file_size = 0x4FF;
                  },
                  PeImageCheck::kCutShort},
        ImageCase{"SignedCutAfterTheSection",
                  [](ImageLayout& s) {
                    Sign(s);
                    s.file_size = 0x400;
                  },
                  PeImageCheck::kCutShort},
        ImageCase{"HeadersLongerThanTheFile",
                  [](ImageLayout& s) {
                    s.headers_size = 0x1000;
                    s.file_size = 0x400;
                  },
                  PeImageCheck::kCutShort},
        // Offset and size added in 32 bits would wrap round to a small end inside the file.
        ImageCase{"SectionEndPast4GiB",
                  [](ImageLayout& s) {
                    s.sections.push_back({0xFFFFFF00u, 0x200});
                    s.file_size = 0x400;
                  },
                  PeImageCheck::kCutShort},
        ImageCase{"CertificatesEndPast4GiB",
                  [](ImageLayout& s) {
                    s.certificates_at = 0xFFFFFFF0u;
                    s.certificates_size = 0x20;
                    s.file_size = 0x400;
                  },
                  PeImageCheck::kCutShort},
        // Without a security entry there is no signature to look for; Windows says so later.
        ImageCase{"FourDirectoriesOnly",
                  [](ImageLayout& s) {
                    Sign(s);
                    s.directory_count = 4;
                    s.file_size = 0x400;
                  },
                  PeImageCheck::kComplete},
        ImageCase{"Dll", [](ImageLayout& s) { s.characteristics = 0x2022; },
                  PeImageCheck::kNotAProgram},
        ImageCase{"NotMarkedExecutable", [](ImageLayout& s) { s.characteristics = 0x0020; },
                  PeImageCheck::kNotAProgram},
        ImageCase{"NoPeSignature", [](ImageLayout& s) { s.pe_signature = false; },
                  PeImageCheck::kNotAnImage},
        ImageCase{"RomImage", [](ImageLayout& s) { s.magic = 0x107; }, PeImageCheck::kNotAnImage},
        ImageCase{"OptionalHeaderWithoutDirectoryCount",
                  [](ImageLayout& s) { s.optional_size = 108; }, PeImageCheck::kNotAnImage},
        ImageCase{"NoSections", [](ImageLayout& s) { s.sections.clear(); },
                  PeImageCheck::kNotAnImage},
        ImageCase{"HeadersPastTheHead",
                  [](ImageLayout& s) {
                    s.nt_offset = kPeHeadReadLimit - 8;
                    s.file_size = 1 << 20;
                  },
                  PeImageCheck::kNotAnImage},
        ImageCase{"SectionTablePastTheHead",
                  [](ImageLayout& s) {
                    s.sections.assign(100, {0x200, 0x200});
                    s.file_size = 1 << 20;
                  },
                  PeImageCheck::kNotAnImage},
        ImageCase{"NtOffsetNear4GiB",
                  [](ImageLayout& s) {
                    s.nt_offset = 0xFFFFFFFEu;
                    s.file_size = 1 << 20;
                  },
                  PeImageCheck::kNotAnImage}),
    test::CaseName());

// What a download can bring instead of a program: error pages, archives, nothing.
TEST(PeImageCheckBytesTest, RefusesWhatIsNoImage) {
  const std::string kInputs[] = {
      "",
      "MZ",
      "status 404\n",
      "<html><body>404 Not Found</body></html>",
      std::string("PK\3\4", 4) + std::string(200, '\0'),
      "MZ" + std::string(200, '\xFF'),
  };
  for (const std::string& input : kInputs) {
    EXPECT_EQ(CheckPeImage(input, input.size()), PeImageCheck::kNotAnImage) << input;
  }
}

// A head longer than the file it claims to come from is read only up to the file's length.
TEST(PeImageCheckBytesTest, ReadsNoFurtherThanTheFileSize) {
  auto [head, size] = Build(ImageLayout{});
  ASSERT_EQ(CheckPeImage(head, size), PeImageCheck::kComplete);
  EXPECT_EQ(CheckPeImage(head, 0x100), PeImageCheck::kNotAnImage);
  EXPECT_EQ(CheckPeImage(head, 0), PeImageCheck::kNotAnImage);
}

}  // namespace
}  // namespace ormix
