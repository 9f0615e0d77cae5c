// Whether the runtime installer was signed by the publisher the build names.
#pragma once

#include <string_view>

namespace ormix {

// signer: the signing certificate's name as Windows gives it (UTF-16, its length taken from the
// call, not from a terminator, so a zero unit inside the name counts). publisher: the build's
// setting, UTF-8. True when publisher is empty (any valid signature will do), or when both name
// the same sequence of characters exactly: no case folding, trimming or normalisation, and an
// invalid UTF-8 publisher matches nothing.
bool IsPinnedPublisher(std::u16string_view signer, std::string_view publisher);

}  // namespace ormix
