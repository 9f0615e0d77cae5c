// The conversion layer between UTF-8 and UTF-16, fed any bytes both as UTF-8 and as UTF-16 units:
// what it accepts comes back unchanged, what it replaces is always well-formed, what does not fit
// is refused whole, and a cut never ends inside a character.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/limits.h"
#include "common/utf8.h"
#include "fuzz_support.h"

using ormix::Malformed;
using ormix::fuzz::Require;

namespace {

void CheckAsUtf8(std::string_view text) {
  std::vector<char16_t> wide(text.size() + 1, u'#');
  const bool valid = ormix::IsValidUtf8(text);
  Require((ormix::Utf8ToUtf16(text, wide.data(), wide.size()) == 0) == valid,
          "UTF-8 is refused exactly when it is not well-formed");
  if (valid) {
    // Never more units than bytes, and the way back gives the same bytes.
    std::u16string units(wide.data());
    ormix::fuzz::Output back(text.size() + 1);
    Require(ormix::Utf16ToUtf8(units, back.data(), back.capacity()) == 0 && back.text() == text,
            "well-formed UTF-8 goes to UTF-16 and back unchanged");
    if (!units.empty()) {
      std::vector<char16_t> small(units.size(), u'#');
      Require(ormix::Utf8ToUtf16(text, small.data(), small.size()) == -1 && small[0] == u'\0',
              "a text one unit too long is refused whole");
    }
  }
  Require(ormix::Utf8ToUtf16(text, wide.data(), wide.size(), Malformed::kReplace) == 0,
          "with replacement every text converts");
  std::u16string replaced(wide.data());
  ormix::fuzz::Output shown(replaced.size() * ormix::kUtf8BytesPerUtf16Unit + 1);
  Require(ormix::Utf16ToUtf8(replaced, shown.data(), shown.capacity()) == 0,
          "what replacement gives has no unpaired surrogate");
  Require(ormix::IsValidUtf8(shown.text()), "what replacement gives is well-formed");
  if (valid)
    Require(shown.text() == text, "replacement leaves well-formed text alone");

  // Cuts at every length: never longer than asked, at most three bytes shorter, and a cut of a
  // well-formed text is well-formed.
  for (std::size_t limit = 0; limit <= text.size() + 1 && limit < 64; ++limit) {
    std::size_t cut = ormix::Utf8CutLength(text, limit);
    Require(cut <= limit && cut <= text.size(), "a cut is never longer than asked");
    Require(cut + 3 >= (limit < text.size() ? limit : text.size()), "a cut drops one character");
    if (valid)
      Require(ormix::IsValidUtf8(text.substr(0, cut)), "a cut of UTF-8 is UTF-8");
  }
}

void CheckAsUtf16(std::u16string_view units) {
  ormix::fuzz::Output narrow(units.size() * ormix::kUtf8BytesPerUtf16Unit + 1);
  bool paired = true;
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char16_t u = units[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      paired = false;
    }
  }
  Require((ormix::Utf16ToUtf8(units, narrow.data(), narrow.capacity()) == 0) == paired,
          "UTF-16 is refused exactly when a surrogate has no partner");
  if (paired) {
    std::vector<char16_t> back(units.size() + 1);
    Require(ormix::Utf8ToUtf16(narrow.text(), back.data(), back.size()) == 0 &&
                std::u16string_view(back.data()) == units,
            "UTF-16 goes to UTF-8 and back unchanged");
  }
  Require(ormix::Utf16ToUtf8(units, narrow.data(), narrow.capacity(), Malformed::kReplace) == 0,
          "three bytes per unit hold any text with replacement");
  Require(ormix::IsValidUtf8(narrow.text()), "what replacement gives is well-formed");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // C strings, as the launcher converts them: up to the first zero.
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string_view text = bytes.substr(0, bytes.find('\0'));
  CheckAsUtf8(text);
  std::u16string units;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    const auto unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (unit == 0)
      break;
    units.push_back(unit);
  }
  CheckAsUtf16(units);
  return 0;
}
