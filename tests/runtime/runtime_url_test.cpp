#include "runtime/runtime_url.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/limits.h"
#include "common/product.h"

#include "support/named_cases.h"

namespace ormix {
namespace {

using test::PrintTo;

constexpr const char kLatest[] =
    "https://dl.example.test/owner/repo/releases/download/runtime-latest/"
    "Harrowmere-Runtime-Setup.exe";
constexpr const char kBeta[] =
    "https://dl.example.test/owner/repo/releases/download/runtime-beta/"
    "Harrowmere-Runtime-Setup.exe";

struct UrlCase {
  const char* name;
  const char* base;
  const char* slot;
  int result;
  const char* url;
};

class RuntimeUrlTest : public testing::TestWithParam<UrlCase> {};

TEST_P(RuntimeUrlTest, FollowsTheSlotsChannel) {
  const UrlCase& c = GetParam();
  char out[kUrlCapacity];
  std::strcpy(out, "junk");
  EXPECT_EQ(ChooseRuntimeUrl(c.base, c.slot, out, sizeof out), c.result);
  EXPECT_STREQ(out, c.url);
}

INSTANTIATE_TEST_SUITE_P(
    Slots, RuntimeUrlTest,
    testing::Values(
        UrlCase{"Beta", kLatest, "3.13-beta", 0, kBeta},
        UrlCase{"BetaOnlyFirstLatestSegment", "https://h/runtime-latest/x/runtime-latest/y",
                "3.13-beta", 0, "https://h/runtime-beta/x/runtime-latest/y"},
        UrlCase{"BetaSegmentAtBaseStart", "/runtime-latest/", "3.13-beta", 0, "/runtime-beta/"},
        UrlCase{"BetaWithoutLatestSegment", "https://h/releases/download/runtime-latest",
                "3.13-beta", 0, "https://h/releases/download/runtime-latest"},
        UrlCase{"BetaLookalikeSegment", "https://h/runtime-latest-2/s.exe", "3.13-beta", 0,
                "https://h/runtime-latest-2/s.exe"},
        UrlCase{"BetaNullBase", nullptr, "3.13-beta", 0, ""},
        UrlCase{"Dev", kLatest, "3.13-dev", -1, ""},
        UrlCase{"DevBaseWithoutLatest", "https://h/other.exe", "3.13-dev", -1, ""},
        UrlCase{"DevNullBase", nullptr, "3.13-dev", -1, ""},
        // The suffix is taken from the last dash.
        UrlCase{"DevAfterBeta", kLatest, "3.13-beta-dev", -1, ""},
        UrlCase{"BetaAfterDev", kLatest, "3.13-dev-beta", 0, kBeta},
        UrlCase{"DevLonger", kLatest, "3.13-devel", 0, kLatest},
        UrlCase{"DevCase", kLatest, "3.13-Dev", 0, kLatest},
        UrlCase{"BetaCase", kLatest, "3.13-BETA", 0, kLatest},
        UrlCase{"OtherSuffix", kLatest, "3.13-rc1", 0, kLatest},
        UrlCase{"NoSuffix", kLatest, "3.13", 0, kLatest},
        UrlCase{"EmptySlot", kLatest, "", 0, kLatest},
        UrlCase{"NullSlot", kLatest, nullptr, 0, kLatest},
        UrlCase{"NullBaseNullSlot", nullptr, nullptr, 0, ""}),
    test::CaseName());

TEST(RuntimeUrlDefaultTest, BetaRewritesOnlyTheReleaseSegment) {
  char out[kUrlCapacity];
  ASSERT_EQ(ChooseRuntimeUrl(kDefaultInstallerUrl, "3.13-beta", out, sizeof out), 0);
  std::string expected = kDefaultInstallerUrl;
  std::size_t at = expected.find("/runtime-latest/");
  ASSERT_NE(at, std::string::npos);
  expected.replace(at, 16, "/runtime-beta/");
  EXPECT_EQ(out, expected);
  EXPECT_TRUE(
      std::string(out).ends_with("/releases/download/runtime-beta/Harrowmere-Runtime-Setup.exe"));

  ASSERT_EQ(ChooseRuntimeUrl(kDefaultInstallerUrl, "", out, sizeof out), 0);
  EXPECT_STREQ(out, kDefaultInstallerUrl);
}

TEST(RuntimeUrlDefaultTest, CutsToCapacity) {
  char out[11];
  std::memset(out, 'x', sizeof out);
  EXPECT_EQ(ChooseRuntimeUrl(kLatest, "3.13", out, sizeof out), 0);
  EXPECT_EQ(std::string(out), std::string(kLatest, 10));

  char beta[72];
  EXPECT_EQ(ChooseRuntimeUrl(kLatest, "3.13-beta", beta, sizeof beta), 0);
  EXPECT_EQ(std::string(beta), std::string(kBeta, sizeof beta - 1));
}

TEST(RuntimeUrlDefaultTest, NoOutputWritesNothing) {
  EXPECT_EQ(ChooseRuntimeUrl(kLatest, "3.13", nullptr, 16), -1);
  char out[16] = "junk";
  EXPECT_EQ(ChooseRuntimeUrl(kLatest, "3.13", out, 0), -1);
  EXPECT_STREQ(out, "junk");
}

}  // namespace
}  // namespace ormix
