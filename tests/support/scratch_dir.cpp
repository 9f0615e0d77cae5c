#include "support/scratch_dir.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace ormix::test {

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

namespace {

// Wide calls on "\\?\" paths, so that trees deeper than MAX_PATH go too.
void RemoveWideTree(const std::wstring& path) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = found.cFileName;
      if (name == L"." || name == L"..")
        continue;
      std::wstring child = path + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveWideTree(child);
      } else {
        SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryW(path.c_str());
}

}  // namespace

void RemoveTree(const std::string& path) {
  int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  if (n <= 1)
    return;
  std::wstring wide(static_cast<size_t>(n - 1), L'\0');
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), n);
  // The prefix takes full paths only.
  bool full = wide.size() > 2 && wide[1] == L':' && wide[2] == L'\\';
  RemoveWideTree(full ? L"\\\\?\\" + wide : wide);
}

ScratchDir::ScratchDir() {
  static std::atomic<int> counter{0};
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  path_ = std::string(temp) + "ormix-tests\\" + TestFolderName() + "-" +
          std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++);
  RemoveTree(path_);
  MakeDirs(path_);
}

ScratchDir::~ScratchDir() {
  if (std::getenv("ORMIX_KEEP_SCRATCH") == nullptr)
    RemoveTree(path_);
}

std::string ScratchDir::WriteFile(std::string_view relative, std::string_view bytes) const {
  std::string full = Path(relative);
  MakeDirs(full.substr(0, full.find_last_of('\\')));
  std::ofstream out(full, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return full;
}

std::string ScratchDir::CopyIn(const std::string& source, std::string_view relative) const {
  std::string full = Path(relative);
  MakeDirs(full.substr(0, full.find_last_of('\\')));
  CopyFileA(source.c_str(), full.c_str(), FALSE);
  return full;
}

}  // namespace ormix::test
