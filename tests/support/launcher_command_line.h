// The child's command line that the launcher builds for an argument vector, as a string.
#pragma once

#include <string>
#include <vector>

namespace ormix::test {

// BuildCommandLine over the vector; a line that could not be built fails the test and gives "".
std::wstring LauncherCommandLine(const std::vector<std::wstring>& args);

}  // namespace ormix::test
