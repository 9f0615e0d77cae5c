// Reads the app version file as bytes in pieces of at most 255 bytes; a longer physical line
// simply continues as a line of its own. No code page or newline conversion happens.
#include "runtime/app_version_file.h"

#include <cstdio>
#include <cstring>

#include "common/ascii.h"
#include "common/limits.h"
#include "common/path_join.h"
#include "common/text_format.h"
#include "common/unique_file.h"

namespace ormix {
namespace {

constexpr bool IsLeadingBlank(char c) {
  return c == ' ' || c == '\t';
}
constexpr bool IsTrailingBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// A byte order mark may open any line, not only the first: files pasted together keep theirs.
std::string_view TrimPiece(std::string_view line) {
  if (Head(line, 3) == "\xEF\xBB\xBF")
    line.remove_prefix(3);
  while (!line.empty() && IsLeadingBlank(line.front())) line.remove_prefix(1);
  while (!line.empty() && IsTrailingBlank(line.back())) line.remove_suffix(1);
  return line;
}

std::size_t CountDigits(std::string_view text) {
  std::size_t n = 0;
  while (n < text.size() && IsAsciiDigit(text[n])) ++n;
  return n;
}

}  // namespace

bool IsValidSlot(std::string_view value) {
  std::size_t major = CountDigits(value);
  if (major == 0 || major >= value.size() || value[major] != '.')
    return false;
  std::string_view rest = Tail(value, major + 1);
  std::size_t minor = CountDigits(rest);
  if (minor == 0)
    return false;
  rest.remove_prefix(minor);
  return rest.empty() || rest == "-beta" || rest == "-dev";
}

int ReadRuntimeSlot(const char* folder, char* out, std::size_t capacity) {
  if (out == nullptr || capacity == 0)
    return -1;
  out[0] = '\0';
  if (folder == nullptr || folder[0] == '\0')
    return -1;

  char path[kPathCapacity];
  JoinPath(path, sizeof path, folder, kAppVersionFileName);
  UniqueFile file = OpenForReading(path);
  if (!file)
    return -1;

  bool in_section = false;
  char piece[kAppVersionPieceCapacity];
  while (std::fgets(piece, sizeof piece, file.get()) != nullptr) {
    std::string_view line = TrimPiece(std::string_view(piece, std::strlen(piece)));
    if (!line.empty() && line.front() == '[') {
      in_section = StartsWithFolded(line, "[runtime]");
      continue;
    }
    if (!in_section || !StartsWithFolded(line, "slot="))
      continue;

    // The first key line decides, whether its value is accepted or not.
    std::string_view value = Tail(line, 5);
    if (value.size() >= capacity || !IsValidSlot(value))
      return -1;
    Format(out, capacity, "%.*s", static_cast<int>(value.size()), value.data());
    return 0;
  }
  return -1;
}

}  // namespace ormix
