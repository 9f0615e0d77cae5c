// The app version file beside the launcher, as any program could have written it. The first byte
// picks the output capacity; the rest is the file.
#include <cstddef>
#include <cstdint>
#include <regex>
#include <string>
#include <string_view>

#include "common/limits.h"
#include "common/path_join.h"
#include "fuzz_support.h"
#include "runtime/app_version_file.h"

using ormix::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0)
    return 0;
  // Around the record's 32 bytes, where the length limit bites.
  const std::size_t capacity = 1 + data[0] % 40;
  const std::string_view contents(reinterpret_cast<const char*>(data + 1), size - 1);

  const std::string folder = ormix::fuzz::ScratchFolder() + "/launcher";
  char path[4096];
  ormix::JoinPath(path, sizeof path, folder.c_str(), ormix::kAppVersionFileName);
  ormix::fuzz::WriteBytes(path, contents);

  ormix::fuzz::Output slot(capacity);
  int result = ormix::ReadRuntimeSlot(folder.c_str(), slot.data(), capacity);
  Require(slot.Terminated(), "the slot is terminated within its capacity");
  Require(result == 0 || result == -1, "the read returns 0 or -1");

  // The capacity refuses a slot that does not fit; it never changes one.
  ormix::fuzz::Output record(ormix::kSlotCapacity);
  int full = ormix::ReadRuntimeSlot(folder.c_str(), record.data(), record.capacity());
  Require(record.Terminated(), "the slot is terminated within the record's 32 bytes");
  if (capacity <= ormix::kSlotCapacity) {
    bool fits = full == 0 && record.text().size() < capacity;
    Require(result == (fits ? 0 : -1) && slot.text() == (fits ? record.text() : ""),
            "a smaller capacity gives the same slot or none");
  }

  if (result != 0) {
    Require(slot.text().empty(), "a refused or missing slot leaves the output empty");
    return 0;
  }
  static const std::regex kGrammar("[0-9]+\\.[0-9]+(-beta|-dev)?");
  const std::string value(slot.text());
  Require(std::regex_match(value, kGrammar), "an accepted slot matches the grammar");
  Require(value.size() < capacity, "an accepted slot is shorter than the capacity");
  Require(contents.find(value) != std::string_view::npos, "the slot is copied from the file");
  return 0;
}
