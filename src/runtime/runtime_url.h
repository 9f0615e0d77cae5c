// Deriving the runtime installer's URL from the release channel slot.
#pragma once

#include <cstddef>

namespace ormix {

// Latest channel: the base unchanged. Beta ("-beta" slot): "/runtime-latest/" in the base becomes
// "/runtime-beta/". Dev ("-dev" slot): no download, -1 with out empty. A null base is empty text.
int ChooseRuntimeUrl(const char* base, const char* slot, char* out, std::size_t capacity);

}  // namespace ormix
