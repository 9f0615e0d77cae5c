#include "runtime/manifest_scan.h"

#include <cstdio>

#include "common/ascii.h"
#include "common/runtime_family.h"
#include "common/unique_file.h"

namespace ormix {
namespace {

// JSON's insignificant whitespace; vertical tab and form feed are deliberately not in it.
constexpr bool IsManifestSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::size_t SkipSpace(std::string_view text, std::size_t i) {
  while (i < text.size() && IsManifestSpace(text[i])) ++i;
  return i;
}

}  // namespace

int ScanManifestPythonVersion(std::string_view text, char (&value)[kManifestValueCapacity]) {
  value[0] = '\0';
  std::size_t nul = text.find('\0');
  if (nul != std::string_view::npos)
    text = Head(text, nul);

  constexpr std::string_view kKey = "\"python\"";
  std::size_t key = text.find(kKey);
  if (key == std::string_view::npos)
    return -1;
  std::size_t i = SkipSpace(text, key + kKey.size());
  if (i >= text.size() || text[i] != ':')
    return -1;
  i = SkipSpace(text, i + 1);
  if (i >= text.size() || text[i] != '"')
    return -1;
  ++i;

  // No escapes: a backslash is an ordinary byte and cannot hide the closing quote.
  std::size_t n = 0;
  while (i + n < text.size() && text[i + n] != '"' && n + 1 < kManifestValueCapacity) {
    value[n] = text[i + n];
    ++n;
  }
  value[n] = '\0';
  return n == 0 ? -1 : 0;
}

bool IsVersionInSeries(std::string_view version, std::string_view series) {
  if (Head(version, series.size()) != series)
    return false;
  return version.size() == series.size() || version[series.size()] == '.';
}

int CheckRuntimeManifest(std::string_view text) {
  char value[kManifestValueCapacity];
  if (ScanManifestPythonVersion(text, value) != 0)
    return -1;
  return IsVersionInSeries(value, kRuntimeSeries) ? 0 : -1;
}

// Only the first bytes are ever scanned, so only they are read, whatever the file's size.
int ReadManifestHead(const char* path, char (&head)[kManifestReadLimit + 1]) {
  head[0] = '\0';
  UniqueFile file = OpenForReading(path);
  if (!file)
    return -1;
  std::size_t n = std::fread(head, 1, kManifestReadLimit, file.get());
  head[n] = '\0';
  return n == 0 ? -1 : 0;
}

}  // namespace ormix
