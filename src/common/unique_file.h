// An owner for C runtime streams, so that every return path closes the file.
#pragma once

#include <cstdio>
#include <memory>

namespace ormix {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// Opens a file for reading as bytes ("rb"). The path is UTF-8, the launcher's own text; on
// Windows this is the one place that widens it for the C runtime (unique_file_windows.cpp).
// Empty on failure.
UniqueFile OpenForReading(const char* path);

}  // namespace ormix
