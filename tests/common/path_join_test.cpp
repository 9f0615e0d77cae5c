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

}  // namespace
}  // namespace ormix
