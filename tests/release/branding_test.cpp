// The product identity as the user and the application meet it. Run against this build's
// launcher and against one rebuilt with other -D options, so that nothing product-specific can
// hide in the code.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/scenario.h"
#include "support/identity.h"

namespace ormix::test {
namespace {

std::string LauncherName() {
  return "app\\" + ExpectedIdentity().product_key + ".exe";
}

TEST(BrandingTest, FatalMessagesNameTheProduct) {
  const Identity& id = ExpectedIdentity();
  Scenario s;
  s.PlaceLauncher(LauncherName());
  RunResult run = s.Run();
  ASSERT_FALSE(run.timed_out);
  EXPECT_EQ(run.exit_code, 2u);
  std::string text = MissingRuntimeMessage(id);
  EXPECT_EQ(run.err, FatalLine(id, text));
  // First the offer to download the runtime (declined by the runner), then the fatal message.
  ASSERT_EQ(run.boxes.size(), 2u);
  EXPECT_EQ(Narrow(run.boxes[0].caption), id.display_name);
  EXPECT_EQ(Narrow(run.boxes[0].text).rfind(id.display_name + " needs the Harrowmere Runtime", 0),
            0u);
  EXPECT_EQ(Narrow(run.boxes[1].caption), id.display_name);
  EXPECT_EQ(Narrow(run.boxes[1].text), text);
}

TEST(BrandingTest, ApplicationIsStartedAndLoggedUnderTheProductsNames) {
  const Identity& id = ExpectedIdentity();
  Scenario s;
  s.PlaceLauncher(LauncherName());
  std::string python = s.PlaceFixture("app\\python.exe");
  s.SetScript("out:ran");
  RunResult run = s.Run({L"input.file"});
  EXPECT_EQ(run.exit_code, 0u);
  FixtureRecord record = s.Record();
  ASSERT_TRUE(record.present) << "the application did not run";
  EXPECT_EQ(record.args, (std::vector<std::string>{python, "-m", id.app_module, "input.file"}));
  EXPECT_EQ(record.env["ORMIX_PRODUCT_NAME"], id.product_key);
  EXPECT_EQ(record.env["ORMIX_PRODUCT_DISPLAY"], id.display_name);
  EXPECT_EQ(record.env["ORMIX_PRODUCT_VERSION"], id.version);
  EXPECT_EQ(ReadWholeFile(s.user_log()), LaunchLogHeader(id, python) + "\nran");
}

TEST(BrandingTest, FailureReportEndsWithTheSupportAddress) {
  const Identity& id = ExpectedIdentity();
  Scenario s;
  s.PlaceLauncher(LauncherName());
  s.PlaceFixture("app\\python.exe");
  s.SetScript("exit:9");
  RunResult run = s.Run();
  EXPECT_EQ(run.exit_code, 9u);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(Narrow(run.boxes[0].caption), id.display_name);
  std::string text = Narrow(run.boxes[0].text);
  EXPECT_EQ(text.rfind(id.display_name + " did not start.", 0), 0u) << text;
  std::string tail = "send that file to " + id.support_email + ".";
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail) << text;
}

}  // namespace
}  // namespace ormix::test
