// Reading the last meaningful line of the launch log after the application has failed.
#pragma once

#include <cstddef>
#include <string_view>

#include "common/limits.h"

namespace ormix {

// White space here: space, tab, line feed, vertical tab, form feed, carriage return.
constexpr bool IsLogSpace(unsigned char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// Copies the range without leading and trailing white space, cut to 300 bytes and to
// capacity - 1, and terminates it. A capacity of 0 writes nothing.
void CopyTrimmedLine(const char* begin, const char* end, char* dst, std::size_t capacity);

// Finds, in a window of log bytes, the last line that is neither blank nor the header line (both
// compared trimmed and capped). Writes it to out, or the empty string.
void FindLastLogLine(std::string_view window, const char* header_line, char* out,
                     std::size_t capacity);

// Reads at most the log's last 8192 bytes and applies FindLastLogLine. Returns 0 when the log was
// read (line found or not, an empty read included), -1 when it could not be opened, sized or
// positioned.
int ReadLastLogLine(const char* path, const char* header_line, char* out, std::size_t capacity);

}  // namespace ormix
