// The launcher's environment through the wide calls: values outside the ANSI code page arrive
// whole, and a value without an exact UTF-8 form counts as unset.
#include "common/environment.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/limits.h"

namespace ormix {
namespace {

constexpr wchar_t kName[] = L"ORMIX_TEST_ENVIRONMENT";

class EnvironmentTest : public testing::Test {
 protected:
  ~EnvironmentTest() override { SetEnvironmentVariableW(kName, nullptr); }
};

TEST_F(EnvironmentTest, ValuesAreReadWhole) {
  for (const wchar_t* value :
       {L"C:\\Users\\ana", L"C:\\Users\\Café", L"C:\\Users\\测试 Ωμέγα", L"D:\\Łódź ✓\\😀"}) {
    ASSERT_TRUE(SetEnvironmentVariableW(kName, value));
    char buffer[kPathCapacity];
    const char* read = ReadEnvironment("ORMIX_TEST_ENVIRONMENT", buffer, sizeof buffer);
    ASSERT_EQ(read, buffer);
    wchar_t back[kPathCapacity];
    ASSERT_GT(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, read, -1, back, kPathCapacity), 0);
    EXPECT_EQ(std::wstring(back), value);
  }
}

TEST_F(EnvironmentTest, WhatCannotNameAFolderCountsAsUnset) {
  struct Case {
    const char* name;
    const wchar_t* value;  // null: unset
    std::size_t capacity;
  } cases[] = {
      {"unset", nullptr, kPathCapacity},
      {"empty", L"", kPathCapacity},
      {"unpaired surrogate", L"C:\\Users\\a\xD800z", kPathCapacity},
      // Three characters of three bytes each: nine bytes and a terminator.
      {"one byte too long in UTF-8", L"€€€", 9},
  };
  for (const Case& c : cases) {
    SetEnvironmentVariableW(kName, c.value);
    char buffer[kPathCapacity];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(ReadEnvironment("ORMIX_TEST_ENVIRONMENT", buffer, c.capacity), nullptr) << c.name;
    EXPECT_EQ(buffer[0], '\0') << c.name;
  }
  SetEnvironmentVariableW(kName, L"€€€");
  char exact[10];
  EXPECT_STREQ(ReadEnvironment("ORMIX_TEST_ENVIRONMENT", exact, sizeof exact), "€€€");
}

TEST_F(EnvironmentTest, ValuesAreSetWhole) {
  ASSERT_EQ(SetEnvironment("ORMIX_TEST_ENVIRONMENT", "C:\\测试 Ωμέγα\\Łódź ✓"), 0);
  wchar_t value[64];
  ASSERT_GT(GetEnvironmentVariableW(kName, value, 64), 0u);
  EXPECT_EQ(std::wstring(value), L"C:\\测试 Ωμέγα\\Łódź ✓");
  // Bytes that are not UTF-8 set nothing rather than something else.
  EXPECT_EQ(SetEnvironment("ORMIX_TEST_ENVIRONMENT", "Caf\xE9"), -1);
  ASSERT_GT(GetEnvironmentVariableW(kName, value, 64), 0u);
  EXPECT_EQ(std::wstring(value), L"C:\\测试 Ωμέγα\\Łódź ✓");
}

}  // namespace
}  // namespace ormix
