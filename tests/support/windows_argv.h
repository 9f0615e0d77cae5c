// The rules by which a Windows program splits its command line into arguments, written from their
// documentation, so that the launcher's quoting can be checked where CommandLineToArgvW does not
// exist (the native sanitizer build and the fuzzers). A Windows-side test holds it against the real
// splitter.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ormix::test {

// Splits a command line as CommandLineToArgvW does for a non-empty line:
// - the program name, entry 0, runs to the next double quote when the line starts with one, else
//   to the first space or tab; backslashes there are ordinary characters;
// - the other arguments are separated by runs of spaces and tabs outside double quotes;
// - 2n backslashes before a double quote give n backslashes, and the quote opens or closes a
//   quoted part; 2n + 1 backslashes before one give n backslashes and a literal quote;
//   backslashes before anything else stay as they are;
// - inside a quoted part, two double quotes in a row give one literal quote and end the part.
std::vector<std::wstring> SplitWindowsCommandLine(std::wstring_view line);

}  // namespace ormix::test
