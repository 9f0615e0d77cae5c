// Tables of cases whose rows carry a `name`: the name, not a dump of the row's bytes, is what
// ctest's test names and gtest's messages show.
#pragma once

#include <ostream>
#include <string>

namespace ormix::test {

// gtest looks for a printer in the row type's own namespace only, so a test file brings this one
// there with `using test::PrintTo;` beside its row types.
template <typename Case>
requires requires(const Case& c) {
  c.name;
}
void PrintTo(const Case& c, std::ostream* os) {
  *os << c.name;
}

// The name generator of INSTANTIATE_TEST_SUITE_P for such tables.
struct CaseName {
  template <typename Info>
  std::string operator()(const Info& info) const {
    return std::string(info.param.name);
  }
};

}  // namespace ormix::test
