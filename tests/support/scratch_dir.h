// A private folder per test, under the temporary directory, removed afterwards. Paths have the
// Windows form, "<folder>\name", also in the native build (see scratch_dir_posix.cpp).
#pragma once

#include <string>
#include <string_view>

namespace ormix::test {

class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  // The folder's full path, without a trailing separator. Paths here are UTF-8, as in the
  // launcher, so they may hold any character.
  const std::string& path() const { return path_; }
  // The folder joined with a relative path.
  std::string Path(std::string_view relative) const;

  // Creates the file (and its folders) with exactly these bytes; returns its full path.
  std::string WriteFile(std::string_view relative, std::string_view bytes) const;
  // Creates the folder and its parents; returns its full path.
  std::string MakeDir(std::string_view relative) const;
  // Copies an existing file in, creating folders; returns the copy's full path.
  std::string CopyIn(const std::string& source, std::string_view relative) const;

 private:
  std::string path_;
};

// Whole-file helpers on full paths. ReadWholeFile gives "" for a missing file.
std::string ReadWholeFile(const std::string& path);
bool FileExists(const std::string& path);
void MakeDirs(const std::string& path);
void RemoveTree(const std::string& path);

// The folder of the running test program, where the build puts the launcher and fixtures.
std::string BinDir();

// The running test's "suite.name", made fit for a folder name and cut to 80 characters.
std::string TestFolderName();

}  // namespace ormix::test
