#include "common/path_join.h"

#include <gtest/gtest.h>

namespace ormix {
namespace {

TEST(JoinPathTest, Separators) {
  struct Case {
    const char* folder;
    const char* name;
    const char* expected;
  } cases[] = {
      {"C:\\app", "python.exe", "C:\\app\\python.exe"},
      {"C:\\app\\", "python.exe", "C:\\app\\python.exe"},
      {"C:/app/", "python.exe", "C:/app/python.exe"},
      {"C:/app", "python.exe", "C:/app\\python.exe"},
      {"", "python.exe", "python.exe"},
      {nullptr, "python.exe", "python.exe"},
      {"C:\\", "x", "C:\\x"},
  };
  for (const Case& c : cases) {
    char out[64];
    JoinPath(out, sizeof out, c.folder, c.name);
    EXPECT_STREQ(out, c.expected) << (c.folder ? c.folder : "(null)");
  }
}

TEST(JoinPathTest, CutsToCapacity) {
  char out[8];
  JoinPath(out, sizeof out, "abcd", "efgh");
  EXPECT_STREQ(out, "abcd\\ef");
}

// The folder of a full path; a root keeps its separator.
constexpr struct FolderCase {
  const char* path;
  const char* folder;
} kFolderCases[] = {
    {"C:\\Ormix\\OrmixConverter.exe", "C:\\Ormix"},
    {"C:\\OrmixConverter.exe", "C:\\"},
    {"\\OrmixConverter.exe", "\\"},
    {"\\\\server\\share\\OrmixConverter.exe", "\\\\server\\share"},
    {"\\\\?\\C:\\a\\OrmixConverter.exe", "\\\\?\\C:\\a"},
    {"C:\\a b\\\xCE\xA9\\OrmixConverter.exe", "C:\\a b\\\xCE\xA9"},
    {"C:/Ormix/OrmixConverter.exe", "C:/Ormix"},
    {"C:/OrmixConverter.exe", "C:/"},
    {"C:\\a/b\\OrmixConverter.exe", "C:\\a/b"},
    {"OrmixConverter.exe", ""},
    {"", ""},
};

TEST(FolderOfTest, Table) {
  for (const FolderCase& c : kFolderCases) EXPECT_EQ(FolderOf(c.path), c.folder) << c.path;
}

}  // namespace
}  // namespace ormix
