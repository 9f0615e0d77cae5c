#include "support/scratch_dir.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>

#include "support/process_run.h"

namespace ormix::test {

std::string BinDir() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::string s = Narrow(std::wstring_view(path, n));
  return s.substr(0, s.find_last_of('\\'));
}

void MakeDirs(const std::string& path) {
  for (size_t i = 3; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '\\')
      CreateDirectoryW(Widen(path.substr(0, i)).c_str(), nullptr);
  }
}

bool FileExists(const std::string& path) {
  return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadWholeFile(const std::string& path) {
  HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return "";
  std::string all;
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) all.append(chunk, got);
  CloseHandle(file);
  return all;
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
  std::wstring wide = Widen(path);
  if (wide.empty())
    return;
  // The prefix takes full paths only.
  bool full = wide.size() > 2 && wide[1] == L':' && wide[2] == L'\\';
  RemoveWideTree(full ? L"\\\\?\\" + wide : wide);
}

ScratchDir::ScratchDir() {
  static std::atomic<int> counter{0};
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  path_ = Narrow(temp) + "ormix-tests\\" + TestFolderName() + "-" +
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
  HANDLE file = CreateFileW(Widen(full).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
  }
  return full;
}

std::string ScratchDir::CopyIn(const std::string& source, std::string_view relative) const {
  std::string full = Path(relative);
  MakeDirs(full.substr(0, full.find_last_of('\\')));
  CopyFileW(Widen(source).c_str(), Widen(full).c_str(), FALSE);
  return full;
}

}  // namespace ormix::test
