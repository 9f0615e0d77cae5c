// What the fuzz targets share: a property check that stops the run (so that libFuzzer keeps the
// input), output buffers of exactly the capacity the reader is told, and a scratch folder for the
// readers that take a path.
#pragma once

#include <ftw.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace ormix::fuzz {

inline void Require(bool holds, const char* property) {
  if (holds)
    return;
  std::fprintf(stderr, "property does not hold: %s\n", property);
  std::abort();
}

// A heap buffer of exactly capacity bytes, so that AddressSanitizer sees a write past its end,
// filled with a byte no reader writes, so that a missing terminator shows.
class Output {
 public:
  explicit Output(std::size_t capacity) : capacity_(capacity), bytes_(new char[capacity]) {
    std::memset(bytes_.get(), '#', capacity);
  }
  char* data() { return bytes_.get(); }
  std::size_t capacity() const { return capacity_; }
  bool Terminated() const { return std::memchr(bytes_.get(), '\0', capacity_) != nullptr; }
  // The text up to the terminator; call only after Terminated().
  std::string_view text() const { return bytes_.get(); }

 private:
  std::size_t capacity_;
  std::unique_ptr<char[]> bytes_;
};

inline std::string& ScratchFolderPath() {
  static std::string folder;
  return folder;
}

inline int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
  return std::remove(path);
}

inline void RemoveScratchFolder() {
  nftw(ScratchFolderPath().c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

// A private folder for the whole run, made on first use and removed at exit.
inline const std::string& ScratchFolder() {
  std::string& folder = ScratchFolderPath();
  if (folder.empty()) {
    // A file is written for every input: in memory that is many times faster than on a disk.
    const char* tmp = std::getenv("TMPDIR");
    if (tmp == nullptr || tmp[0] == '\0')
      tmp = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(tmp) + "/ormix-fuzz-XXXXXX";
    Require(mkdtemp(pattern.data()) != nullptr, "a scratch folder can be made");
    folder = pattern;
    std::atexit(RemoveScratchFolder);
  }
  return folder;
}

// Writes bytes to a file of that exact path, replacing what was there.
inline void WriteBytes(const std::string& path, std::string_view bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  Require(file != nullptr, "the scratch file can be written");
  if (!bytes.empty())
    std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

}  // namespace ormix::fuzz
