#include "diagnostics/log_tail.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "common/ascii.h"
#include "common/text_format.h"
#include "common/unique_file.h"
#include "common/utf8.h"

namespace ormix {

void CopyTrimmedLine(const char* begin, const char* end, char* dst, std::size_t capacity) {
  // capacity - 1 below would wrap round to a huge length.
  if (dst == nullptr || capacity == 0)
    return;
  while (begin < end && IsLogSpace(static_cast<unsigned char>(*begin))) ++begin;
  while (end > begin && IsLogSpace(static_cast<unsigned char>(end[-1]))) --end;
  std::size_t length = static_cast<std::size_t>(end - begin);
  if (length > kLogLineCap)
    length = kLogLineCap;
  if (length >= capacity)
    length = capacity - 1;
  std::memcpy(dst, begin, length);
  dst[length] = '\0';
}

std::string_view FindLastLogLine(std::string_view window, const char* header_line) {
  char header[kLogLineCapacity] = {};
  if (header_line != nullptr) {
    CopyTrimmedLine(header_line, header_line + std::strlen(header_line), header, sizeof header);
  }

  std::string_view found;
  const char* p = window.data();
  const char* const end = p + window.size();
  while (p < end) {
    const char* feed = static_cast<const char*>(std::memchr(p, '\n', end - p));
    const char* line_end = feed != nullptr ? feed : end;
    const char* begin = p;
    while (begin < line_end && IsLogSpace(static_cast<unsigned char>(*begin))) ++begin;
    while (line_end > begin && IsLogSpace(static_cast<unsigned char>(line_end[-1]))) --line_end;
    std::string_view line(begin, static_cast<std::size_t>(line_end - begin));
    // A zero byte ends the line's text, so text after it is never reported.
    line = Head(line, line.find('\0'));
    if (!line.empty() && Head(line, kLogLineCap) != std::string_view(header))
      found = line;
    if (feed == nullptr)
      break;
    p = feed + 1;
  }
  return found;
}

void DecodeLogLine(std::string_view line, AnsiDecoder decode_ansi, char* out,
                   std::size_t capacity) {
  if (out == nullptr || capacity == 0)
    return;
  out[0] = '\0';
  if (IsValidUtf8(line)) {
    std::size_t length = Utf8CutLength(line, kLogLineCap);
    Format(out, capacity, "%.*s", static_cast<int>(length), line.data());
    return;
  }
  // Programs that are not told otherwise write the ANSI code page; Python does so for its
  // redirected standard streams.
  if (decode_ansi != nullptr && decode_ansi(line, kLogLineCap, out, capacity) == 0 &&
      IsValidUtf8(out)) {
    return;
  }
  // Only the cut must not split a character; bytes that end the line are shown, as U+FFFD.
  std::size_t length = line.size() <= kLogLineCap ? line.size() : Utf8CutLength(line, kLogLineCap);
  char16_t wide[kLogLineCapacity];
  Utf8ToUtf16(Head(line, length), wide, kLogLineCapacity, Malformed::kReplace);
  char text[kDecodedLogLineCapacity];
  Utf16ToUtf8(wide, text, sizeof text, Malformed::kReplace);
  CopyText(out, capacity, text);
}

int ReadLastLogLine(const char* path, const char* header_line, char* out, std::size_t capacity,
                    AnsiDecoder decode_ansi) {
  if (out == nullptr || capacity == 0)
    return -1;
  out[0] = '\0';
  if (path == nullptr || path[0] == '\0')
    return -1;

  // Static, not on the stack: the report runs with the stack the launch left it.
  static char window[kLogTailWindow];
  UniqueFile file = OpenForReading(path);
  if (!file)
    return -1;
  long size = -1;
  if (std::fseek(file.get(), 0, SEEK_END) == 0)
    size = std::ftell(file.get());
  // ftell's long is 32 bits on Windows; a log of 2 GiB or more is not read at all.
  if (size < 0 || size > INT_MAX)
    return -1;
  long start =
      size > static_cast<long>(kLogTailWindow) ? size - static_cast<long>(kLogTailWindow) : 0;
  if (std::fseek(file.get(), start, SEEK_SET) != 0)
    return -1;
  std::size_t got = std::fread(window, 1, sizeof window, file.get());
  file.reset();
  std::string_view tail(window, got);
  // A window that starts inside the log may start inside a UTF-8 character. Its last bytes would
  // make a line that is UTF-8 look like something else.
  for (int i = 0; i < 3 && start > 0 && !tail.empty(); ++i) {
    if (!IsUtf8Continuation(static_cast<unsigned char>(tail.front())))
      break;
    tail.remove_prefix(1);
  }
  DecodeLogLine(FindLastLogLine(tail, header_line), decode_ansi, out, capacity);
  return 0;
}

}  // namespace ormix
