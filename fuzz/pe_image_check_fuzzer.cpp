// A downloaded file's first bytes and length, as the installer check reads them, held against a
// second reading of the PE format written here as the extent the headers claim; then the exact
// boundary: one byte less than that extent is a file cut short.
//
// Input: 4 bytes, little-endian, of file length beyond the input, then the file's bytes (the check
// sees at most the first kPeHeadReadLimit of them).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "bootstrap/pe_image_check.h"
#include "fuzz_support.h"

using ormix::PeImageCheck;
using ormix::fuzz::Require;

namespace {

struct Oracle {
  PeImageCheck verdict;
  std::uint64_t extent;  // for a well-formed program: the bytes its headers say the file holds
};

Oracle Expected(std::string_view head, std::uint64_t file_size) {
  auto u16 = [&](std::uint64_t at) -> std::optional<std::uint32_t> {
    if (at + 2 > head.size())
      return std::nullopt;
    return static_cast<std::uint32_t>(static_cast<unsigned char>(head[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(head[at + 1])) << 8;
  };
  auto u32 = [&](std::uint64_t at) -> std::optional<std::uint64_t> {
    auto low = u16(at), high = u16(at + 2);
    if (!low || !high)
      return std::nullopt;
    return std::uint64_t{*low} | std::uint64_t{*high} << 16;
  };
  const Oracle no_image{PeImageCheck::kNotAnImage, 0};
  if (head.size() < 64 || head.substr(0, 2) != "MZ")
    return no_image;
  const std::uint64_t nt = *u32(0x3C);
  if (nt + 4 > head.size() || head.substr(nt, 4) != std::string_view("PE\0\0", 4))
    return no_image;
  auto sections = u16(nt + 6), optional_size = u16(nt + 20), flags = u16(nt + 22),
       magic = u16(nt + 24);
  if (!sections || !optional_size || !flags || !magic || (*magic != 0x10B && *magic != 0x20B))
    return no_image;
  const std::uint64_t directories = *magic == 0x20B ? 112 : 96;
  auto headers = u32(nt + 24 + 60), directory_count = u32(nt + 24 + directories - 4);
  if (*optional_size < directories || !headers || !directory_count)
    return no_image;
  const std::uint64_t table = nt + 24 + *optional_size;
  if (*sections == 0 || table + *sections * 40 > head.size())
    return no_image;
  if ((*flags & 0x0002) == 0 || (*flags & 0x2000) != 0)
    return {PeImageCheck::kNotAProgram, 0};

  std::uint64_t extent = *headers;
  for (std::uint64_t i = 0; i < *sections; ++i) {
    const std::uint64_t size = *u32(table + i * 40 + 16);
    if (size != 0)
      extent = std::max(extent, *u32(table + i * 40 + 20) + size);
  }
  if (*directory_count > 4 && directories + 40 <= *optional_size) {
    const std::uint64_t size = *u32(nt + 24 + directories + 36);
    if (size != 0)
      extent = std::max(extent, *u32(nt + 24 + directories + 32) + size);
  }
  return {extent <= file_size ? PeImageCheck::kComplete : PeImageCheck::kCutShort, extent};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4)
    return 0;
  const std::uint64_t beyond = std::uint64_t{data[0]} | std::uint64_t{data[1]} << 8 |
                               std::uint64_t{data[2]} << 16 | std::uint64_t{data[3]} << 24;
  const std::string_view file(reinterpret_cast<const char*>(data + 4), size - 4);
  const std::uint64_t file_size = file.size() + beyond;
  // What the check reads: the head only, in a buffer of its own so that a read past it shows.
  const std::size_t head_size = std::min(file.size(), ormix::kPeHeadReadLimit);
  ormix::fuzz::Output head(head_size == 0 ? 1 : head_size);
  std::copy(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(head_size), head.data());
  const std::string_view head_view(head.data(), head_size);

  const PeImageCheck verdict = ormix::CheckPeImage(head_view, file_size);
  const Oracle expected = Expected(head_view, file_size);
  Require(verdict == expected.verdict, "the verdict is the extent the headers claim");
  if (verdict == PeImageCheck::kComplete && expected.extent > head_size) {
    Require(ormix::CheckPeImage(head_view, expected.extent) == PeImageCheck::kComplete,
            "a file that ends where its headers say it ends is whole");
    Require(ormix::CheckPeImage(head_view, expected.extent - 1) == PeImageCheck::kCutShort,
            "one byte less is a file cut short");
  }
  if (verdict != PeImageCheck::kComplete) {
    Require(ormix::CheckPeImage(head_view, file_size + (std::uint64_t{1} << 32)) == verdict ||
                verdict == PeImageCheck::kCutShort,
            "only a cut file gets whole by growing");
  }
  return 0;
}
