// A scenario folder for end-to-end runs: the real launcher copied in, a stand-in interpreter laid
// out as an embedded or a shared runtime, and the launcher run with an exact environment.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "support/identity.h"
#include "support/process_run.h"
#include "support/scratch_dir.h"

namespace ormix::test {

// What the stand-in interpreter saw, read back from its record file.
struct FixtureRecord {
  bool present = false;
  std::string command_line;        // UTF-8
  std::vector<std::string> args;   // as CommandLineToArgvW split it, UTF-8
  std::wstring wide_command_line;  // the same two exactly as they arrived, in UTF-16
  std::vector<std::wstring> wide_args;
  std::string image;  // the program that ran
  std::map<std::string, std::optional<std::string>> env;
  std::string std_in, std_out, std_err;  // "disk", "pipe", "char" or "none"
  bool in_job = false;
  std::string cwd;
};

class Scenario {
 public:
  Scenario();

  ScratchDir& dir() { return dir_; }
  // Copies the launcher under test into the scenario (default "app\OrmixConverter.exe").
  std::string PlaceLauncher(const std::string& relative = "app\\OrmixConverter.exe");
  // Runs the launcher from a path the caller placed it at, such as one too long for CopyIn.
  void UseLauncherAt(const std::string& path) { launcher_ = path; }
  const std::string& launcher() const { return launcher_; }
  std::string LauncherDir() const;
  // Copies the stand-in interpreter to a path relative to the scenario folder.
  std::string PlaceFixture(const std::string& relative);
  // A shared runtime in %LOCALAPPDATA%\Harrowmere\Runtime\<slot>, with a valid manifest.
  std::string PlaceSharedRuntime(const std::string& slot = "3.13");
  std::string local_app_data() const { return dir_.Path("LocalAppData"); }
  std::string app_data() const { return dir_.Path("AppData"); }
  std::string temp() const { return dir_.Path("Temp"); }
  // Where the launcher under test writes the per-user launch log.
  std::string user_log() const { return UserLogPath(ExpectedIdentity(), app_data()); }

  // Environment changes for the next runs; LOCALAPPDATA, APPDATA and TEMP point into the scenario.
  void SetEnv(const std::string& name, std::optional<std::string> value);
  void SetScript(const std::string& script) { SetEnv("ORMIX_FIXTURE_SCRIPT", script); }

  RunResult Run(const std::vector<std::wstring>& args = {}, BoxAnswer answer = {});
  // Runs the launcher with exactly this command line.
  RunResult RunCommandLine(const std::wstring& line);
  FixtureRecord Record() const;
  std::string record_path() const { return dir_.Path("record.txt"); }

 private:
  ScratchDir dir_;
  std::string launcher_;
  std::vector<EnvChange> env_;
};

std::string FromHex(const std::string& hex);
// UTF-16 code units from their bytes, low byte first.
std::wstring WideFromHex(const std::string& hex);

}  // namespace ormix::test
