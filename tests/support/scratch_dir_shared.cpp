// The parts of ScratchDir that are the same on Windows and in the native build.
#include "support/scratch_dir.h"

#include <gtest/gtest.h>

namespace ormix::test {

std::string TestFolderName() {
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "test";
  for (char& c : name) {
    if (c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '<' || c == '>')
      c = '_';
  }
  return name.substr(0, 80);
}

std::string ScratchDir::Path(std::string_view relative) const {
  if (relative.empty())
    return path_;
  return path_ + "\\" + std::string(relative);
}

std::string ScratchDir::MakeDir(std::string_view relative) const {
  std::string full = Path(relative);
  MakeDirs(full);
  return full;
}

}  // namespace ormix::test
