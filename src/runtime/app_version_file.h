// The app version file "ormix-app-version.ini" beside the launcher, which names the release
// channel slot of an installation that relies on the shared runtime.
#pragma once

#include <cstddef>
#include <string_view>

namespace ormix {

inline constexpr const char kAppVersionFileName[] = "ormix-app-version.ini";

// Digits, a dot, digits, then nothing, "-beta" or "-dev" (case-sensitive).
bool IsValidSlot(std::string_view value);

// Reads the first slot= key line of a [runtime] section. Returns 0 with an accepted slot in out,
// else -1 with out empty (no file, no key line, a refused value, or a value that does not fit).
int ReadRuntimeSlot(const char* folder, char* out, std::size_t capacity);

}  // namespace ormix
