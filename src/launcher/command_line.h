// A Windows command line: splitting one into its arguments, and joining arguments into one that
// splits back into the same vector. Both follow the rules by which Windows programs split their
// command line, so the launcher reads its own line as the application will read the one it gets.
#pragma once

#include <memory>

#include "common/heap_vector.h"

namespace ormix {

// Splits line as CommandLineToArgvW does:
// - the program name, entry 0, runs to the next double quote when the line starts with one, else
//   to the first space or tab; backslashes there are ordinary characters;
// - the other arguments are separated by runs of spaces and tabs outside double quotes;
// - 2n backslashes before a double quote give n backslashes, and the quote opens or closes a
//   quoted part; 2n + 1 backslashes before one give n backslashes and a literal quote;
//   backslashes before anything else stay as they are;
// - inside a quoted part, two double quotes in a row give one literal quote and end the part;
// - an empty (or null) line gives one entry, program_path: Windows answers it with the program's
//   own path.
// Returns one heap block that std::free releases: count + 1 entries, the last null, followed by
// the texts they point at. Null when the block cannot be allocated; count is then left alone.
wchar_t** SplitCommandLine(const wchar_t* line, const wchar_t* program_path, int* count);

// A block from SplitCommandLine, released whole.
using ArgumentBlock = std::unique_ptr<wchar_t*, FreeDeleter>;

// Quotes an argument only when it is empty or holds a space, tab, line feed, vertical tab or
// double quote; inside quotes, backslashes are doubled where they precede a quote or the closing
// quote. Returns a heap text that the caller frees, or null when the allocation fails.
wchar_t* BuildCommandLine(const wchar_t* const* args, int count);

}  // namespace ormix
