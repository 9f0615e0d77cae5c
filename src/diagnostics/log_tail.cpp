#include "diagnostics/log_tail.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "common/text_format.h"
#include "common/unique_file.h"

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

void FindLastLogLine(std::string_view window, const char* header_line, char* out,
                     std::size_t capacity) {
  if (out == nullptr || capacity == 0)
    return;
  out[0] = '\0';
  char header[kLogLineCapacity] = {};
  if (header_line != nullptr) {
    CopyTrimmedLine(header_line, header_line + std::strlen(header_line), header, sizeof header);
  }

  const char* p = window.data();
  const char* const end = p + window.size();
  while (p < end) {
    const char* feed = static_cast<const char*>(std::memchr(p, '\n', end - p));
    const char* line_end = feed != nullptr ? feed : end;
    char line[kLogLineCapacity];
    CopyTrimmedLine(p, line_end, line, sizeof line);
    // A zero byte ends the line's text, so text after it is never reported.
    if (line[0] != '\0' && std::strcmp(line, header) != 0)
      Format(out, capacity, "%s", line);
    if (feed == nullptr)
      break;
    p = feed + 1;
  }
}

int ReadLastLogLine(const char* path, const char* header_line, char* out, std::size_t capacity) {
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
  FindLastLogLine(std::string_view(window, got), header_line, out, capacity);
  return 0;
}

}  // namespace ormix
