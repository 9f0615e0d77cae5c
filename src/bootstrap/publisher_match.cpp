#include "bootstrap/publisher_match.h"

#include "common/limits.h"
#include "common/utf8.h"

namespace ormix {

bool IsPinnedPublisher(std::u16string_view signer, std::string_view publisher) {
  if (publisher.empty())
    return true;
  // The publisher as the certificate would spell it. Invalid UTF-8 has no such form, and a name
  // longer than any signer name that is read cannot match one; a zero byte would end it early.
  char16_t units[kSignerNameCapacity];
  if (publisher.find('\0') != std::string_view::npos ||
      Utf8ToUtf16(publisher, units, kSignerNameCapacity) != 0) {
    return false;
  }
  return signer == std::u16string_view(units);
}

}  // namespace ormix
