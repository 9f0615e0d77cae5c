#include "support/scratch_dir.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace ormix::test {
namespace {

std::string TestName() {
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "test";
  for (char& c : name) {
    if (c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '<' || c == '>')
      c = '_';
  }
  return name.substr(0, 80);
}

}  // namespace

std::string BinDir() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path, n);
  return s.substr(0, s.find_last_of('\\'));
}

void MakeDirs(const std::string& path) {
  for (size_t i = 3; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '\\')
      CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
  }
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..")
        continue;
      std::string child = path + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(child.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(path.c_str());
}

ScratchDir::ScratchDir() {
  static std::atomic<int> counter{0};
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  path_ = std::string(temp) + "ormix-tests\\" + TestName() + "-" +
          std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++);
  RemoveTree(path_);
  MakeDirs(path_);
}

ScratchDir::~ScratchDir() {
  if (std::getenv("ORMIX_KEEP_SCRATCH") == nullptr)
    RemoveTree(path_);
}

std::string ScratchDir::Path(std::string_view relative) const {
  if (relative.empty())
    return path_;
  return path_ + "\\" + std::string(relative);
}

std::string ScratchDir::WriteFile(std::string_view relative, std::string_view bytes) const {
  std::string full = Path(relative);
  MakeDirs(full.substr(0, full.find_last_of('\\')));
  std::ofstream out(full, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return full;
}

std::string ScratchDir::MakeDir(std::string_view relative) const {
  std::string full = Path(relative);
  MakeDirs(full);
  return full;
}

std::string ScratchDir::CopyIn(const std::string& source, std::string_view relative) const {
  std::string full = Path(relative);
  MakeDirs(full.substr(0, full.find_last_of('\\')));
  CopyFileA(source.c_str(), full.c_str(), FALSE);
  return full;
}

}  // namespace ormix::test
