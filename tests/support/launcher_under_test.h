// Which launcher the tests run: the one this build made, or another copy of it named by
// ORMIX_TEST_LAUNCHER (a signed copy, a rebranded build), so that one set of tests checks both.
#pragma once

#include <string>

namespace ormix::test {

// ORMIX_TEST_LAUNCHER as a full path, or relative to BinDir(); unset or empty: the built launcher.
std::string LauncherUnderTest();

}  // namespace ormix::test
