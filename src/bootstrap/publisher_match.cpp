#include "bootstrap/publisher_match.h"

#include <cstddef>

namespace ormix {
namespace {

// The next code point of a UTF-8 text, or -1 for a byte sequence that is not one: a stray
// continuation byte, a cut sequence, an overlong form, a surrogate or a value past U+10FFFF.
long NextCodePoint(std::string_view text, std::size_t& at) {
  const auto lead = static_cast<unsigned char>(text[at++]);
  if (lead < 0x80)
    return lead;
  std::size_t more;
  long value;
  long least;  // the smallest value that needs this many bytes
  if ((lead & 0xE0) == 0xC0) {
    more = 1, value = lead & 0x1F, least = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    more = 2, value = lead & 0x0F, least = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    more = 3, value = lead & 0x07, least = 0x10000;
  } else {
    return -1;
  }
  for (; more > 0; --more) {
    if (at >= text.size())
      return -1;
    const auto next = static_cast<unsigned char>(text[at++]);
    if ((next & 0xC0) != 0x80)
      return -1;
    value = value << 6 | (next & 0x3F);
  }
  if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
    return -1;
  return value;
}

}  // namespace

bool IsPinnedPublisher(std::u16string_view signer, std::string_view publisher) {
  if (publisher.empty())
    return true;
  std::size_t unit = 0;
  for (std::size_t at = 0; at < publisher.size();) {
    const long code_point = NextCodePoint(publisher, at);
    if (code_point < 0)
      return false;
    // The same character as UTF-16: one unit, or a surrogate pair above U+FFFF.
    char16_t units[2];
    std::size_t count = 1;
    if (code_point < 0x10000) {
      units[0] = static_cast<char16_t>(code_point);
    } else {
      units[0] = static_cast<char16_t>(0xD800 + ((code_point - 0x10000) >> 10));
      units[1] = static_cast<char16_t>(0xDC00 + ((code_point - 0x10000) & 0x3FF));
      count = 2;
    }
    for (std::size_t i = 0; i < count; ++i, ++unit) {
      if (unit >= signer.size() || signer[unit] != units[i])
        return false;
    }
  }
  return unit == signer.size();
}

}  // namespace ormix
