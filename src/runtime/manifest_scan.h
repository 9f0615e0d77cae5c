// Reading the Python version out of the shared runtime's manifest "harrowmere-runtime.json".
// A fixed textual scan, not a JSON parse: only the first string member named python counts.
#pragma once

#include <cstddef>
#include <string_view>

#include "common/limits.h"

namespace ormix {

// Finds the first "python" key in text (which ends at its first zero byte), expects a colon and a
// double-quoted value, and copies up to 31 bytes of the value (to its closing quote or the text's
// end) into value. Returns 0 for a non-empty value, else -1 with value empty.
int ScanManifestPythonVersion(std::string_view text, char (&value)[kManifestValueCapacity]);

// Whether a version belongs to series: the series itself, or the series followed by a dot.
bool IsVersionInSeries(std::string_view version, std::string_view series);

// Both steps: 0 when the manifest text names a Python version of the runtime series.
int CheckRuntimeManifest(std::string_view text);

// Reads at most the manifest's first 511 bytes into head and terminates them. -1 when the file
// cannot be opened or gives no byte (a folder, on systems that open one, gives none).
int ReadManifestHead(const char* path, char (&head)[kManifestReadLimit + 1]);

}  // namespace ormix
