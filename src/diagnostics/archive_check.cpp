#include "diagnostics/archive_check.h"

#include "common/ascii.h"
#include "common/text_format.h"

namespace ormix {
namespace {

constexpr std::size_t kComponentLimit = 511;

// "Temp", digits, an underscore, anything, ".zip": File Explorer's folder for a file opened from
// inside a zip archive.
bool IsExplorerZipFolder(std::string_view c) {
  std::size_t i = 4;
  if (i >= c.size() || !IsAsciiDigit(c[i]))
    return false;
  while (i < c.size() && IsAsciiDigit(c[i])) ++i;
  if (i >= c.size() || c[i] != '_')
    return false;
  std::string_view after = Tail(c, i + 1);
  return after.size() >= 4 && EqualsFolded(Tail(after, after.size() - 4), ".zip");
}

bool IsSevenZipFolder(std::string_view c) {
  if (c.size() <= 3)
    return false;
  for (char ch : Tail(c, 3)) {
    if (!IsAsciiDigit(ch) && !IsAsciiLetter(ch))
      return false;
  }
  return true;
}

}  // namespace

bool IsArchiveTempComponent(std::string_view component) {
  if (component.empty() || component.size() > kComponentLimit)
    return false;
  if (StartsWithFolded(component, "Temp"))
    return IsExplorerZipFolder(component);
  if (StartsWithFolded(component, "7zO"))
    return IsSevenZipFolder(component);
  return StartsWithFolded(component, "Rar$");
}

int IsArchiveTempPath(const char* path) {
  if (path == nullptr)
    return 0;
  std::string_view rest = path;
  // Only text that ends at a separator is a directory component; the file name is never examined.
  for (std::size_t cut = rest.find_first_of("\\/"); cut != std::string_view::npos;
       cut = rest.find_first_of("\\/")) {
    if (IsArchiveTempComponent(Head(rest, cut)))
      return 1;
    rest.remove_prefix(cut + 1);
  }
  return 0;
}

void FormatArchiveMessage(const char* display_name, const char* file_name, char* out,
                          std::size_t capacity) {
  Format(out, capacity,
         "%s was opened from inside the zip file, so Windows copied only that one file out and "
         "left the rest of the program behind.\n\nExtract the whole zip first: select it in File "
         "Explorer, press the Applications key, choose Extract All, and choose a folder. Then open "
         "%s in the extracted folder.",
         display_name, file_name);
}

}  // namespace ormix
