// Reading the last meaningful line of the launch log after the application has failed, and
// turning it into text the report can show.
#pragma once

#include <cstddef>
#include <string_view>

#include "common/limits.h"

namespace ormix {

// White space here: space, tab, line feed, vertical tab, form feed, carriage return.
constexpr bool IsLogSpace(unsigned char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// Decodes text that is not UTF-8, written in the system's ANSI code page: its longest start of at
// most limit bytes that does not end inside a character, into UTF-8 cut to capacity - 1 without
// leaving part of a character. 0, or -1 when it cannot. The text core has no code page of its
// own; the Windows side hands one in (DecodeSystemAnsi in common/wide_text.h).
using AnsiDecoder = int (*)(std::string_view bytes, std::size_t limit, char* out,
                            std::size_t capacity);

// Copies the range without leading and trailing white space, cut to 300 bytes and to
// capacity - 1, and terminates it. A capacity of 0 writes nothing.
void CopyTrimmedLine(const char* begin, const char* end, char* dst, std::size_t capacity);

// The last line in a window of log bytes that is neither blank nor the header line (both compared
// trimmed and cut to 300 bytes): that line trimmed, up to its first zero byte, and not cut, so
// that its encoding is judged on all of it. Empty when there is none.
std::string_view FindLastLogLine(std::string_view window, const char* header_line);

// The line as the report shows it, always UTF-8: a line that is valid UTF-8 as it is, any other
// through decode_ansi (without one, or when it fails, every byte that is not UTF-8 shows as
// U+FFFD). At most the line's first 300 bytes, never half a character, cut to capacity - 1; the
// result takes up to kDecodedLogLineCapacity bytes. A capacity of 0 writes nothing.
void DecodeLogLine(std::string_view line, AnsiDecoder decode_ansi, char* out, std::size_t capacity);

// Reads at most the log's last 8192 bytes, finds their last line and decodes it into out. Returns
// 0 when the log was read (line found or not, an empty read included), -1 when it could not be
// opened, sized or positioned.
int ReadLastLogLine(const char* path, const char* header_line, char* out, std::size_t capacity,
                    AnsiDecoder decode_ansi = nullptr);

}  // namespace ormix
