#include "support/launcher_command_line.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "launcher/command_line.h"

namespace ormix::test {

std::wstring LauncherCommandLine(const std::vector<std::wstring>& args) {
  std::vector<const wchar_t*> pointers;
  for (const std::wstring& arg : args) pointers.push_back(arg.c_str());
  wchar_t* line = BuildCommandLine(pointers.data(), static_cast<int>(pointers.size()));
  EXPECT_NE(line, nullptr);
  std::wstring result = line ? line : L"";
  std::free(line);
  return result;
}

}  // namespace ormix::test
