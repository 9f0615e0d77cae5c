// The launcher's own environment, read and set through the wide calls: a value in UTF-8 here is
// the value itself, whatever characters it holds.
#pragma once

#include <cstddef>

namespace ormix {

// Copies the variable's value into buffer (UTF-8) and returns it, or returns null when the
// variable is unset, empty, longer than the buffer (a value that long cannot name a usable
// folder), or holds a UTF-16 surrogate without its partner (no exact UTF-8 form, so it could
// only name another folder).
const char* ReadEnvironment(const char* name, char* buffer, std::size_t capacity);

// Sets the variable to value (both UTF-8). -1 when either cannot be converted or the call fails.
int SetEnvironment(const char* name, const char* value);

}  // namespace ormix
