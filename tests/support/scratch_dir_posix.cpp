// ScratchDir for the native build of the text core. The readers under test join folders and names
// with a backslash, which a POSIX file system takes as an ordinary byte of a name. So paths keep
// the Windows form here too: the scratch folder is a real directory inside a private temporary
// directory, and "<folder>\name" is a file of that name beside it, in the private directory. The
// readers open exactly the bytes they would open on Windows, and everything goes with the private
// directory.
#include "support/scratch_dir.h"

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include <gtest/gtest.h>

namespace ormix::test {
namespace {

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
  return std::remove(path);
}

}  // namespace

std::string BinDir() {
  std::vector<char> path(4096);
  ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
  std::string s(path.data(), n > 0 ? static_cast<std::size_t>(n) : 0);
  return s.substr(0, s.find_last_of('/'));
}

void MakeDirs(const std::string& path) {
  mkdir(path.c_str(), 0700);
}

bool FileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

void RemoveTree(const std::string& path) {
  nftw(path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

ScratchDir::ScratchDir() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp") +
                        "/ormix-tests-" + TestFolderName() + "-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (mkdtemp(name.data()) == nullptr) {
    ADD_FAILURE() << "no temporary directory: " << pattern;
    return;
  }
  path_ = std::string(name.data()) + "/scratch";
  MakeDirs(path_);
}

ScratchDir::~ScratchDir() {
  if (!path_.empty() && std::getenv("ORMIX_KEEP_SCRATCH") == nullptr)
    RemoveTree(path_.substr(0, path_.find_last_of('/')));
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

std::string ScratchDir::WriteFile(std::string_view relative, std::string_view bytes) const {
  std::string full = Path(relative);
  std::ofstream out(full, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return full;
}

std::string ScratchDir::CopyIn(const std::string& source, std::string_view relative) const {
  std::string full = Path(relative);
  std::ifstream in(source, std::ios::binary);
  std::ofstream out(full, std::ios::binary | std::ios::trunc);
  out << in.rdbuf();
  return full;
}

}  // namespace ormix::test
