// Joining an argument vector into one Windows command line that splits back into the same vector.
#pragma once

namespace ormix {

// Quotes an argument only when it is empty or holds a space, tab, line feed, vertical tab or
// double quote; inside quotes, backslashes are doubled where they precede a quote or the closing
// quote. Returns a heap text that the caller frees, or null when the allocation fails.
wchar_t* BuildCommandLine(const wchar_t* const* args, int count);

}  // namespace ormix
