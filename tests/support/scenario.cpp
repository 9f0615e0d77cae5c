#include "support/scenario.h"

#include <windows.h>

#include <sstream>

#include "support/launcher_under_test.h"

namespace ormix::test {

std::string FromHex(const std::string& hex) {
  if (hex == "-")
    return "";
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return out;
}

std::wstring WideFromHex(const std::string& hex) {
  std::string bytes = FromHex(hex);
  std::wstring out;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                       (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  }
  return out;
}

Scenario::Scenario() {
  dir_.MakeDir("LocalAppData");
  dir_.MakeDir("AppData");
  dir_.MakeDir("Temp");
  SetEnv("LOCALAPPDATA", local_app_data());
  SetEnv("APPDATA", app_data());
  SetEnv("TEMP", temp());
  SetEnv("TMP", temp());
  SetEnv("ORMIX_FIXTURE_RECORD", record_path());
  SetEnv("ORMIX_FIXTURE_SCRIPT", std::nullopt);
  for (const char* name :
       {"ORMIX_LAUNCHER_DIR", "ORMIX_APP_ROOT", "ORMIX_PORTABLE", "ORMIX_PRODUCT_NAME",
        "ORMIX_PRODUCT_DISPLAY", "ORMIX_PRODUCT_VERSION"}) {
    SetEnv(name, std::nullopt);
  }
}

std::string Scenario::PlaceLauncher(const std::string& relative) {
  launcher_ = dir_.CopyIn(LauncherUnderTest(), relative);
  return launcher_;
}

std::string Scenario::LauncherDir() const {
  return launcher_.substr(0, launcher_.find_last_of('\\'));
}

std::string Scenario::PlaceFixture(const std::string& relative) {
  return dir_.CopyIn(BinDir() + "\\ormix_fixture_app.exe", relative);
}

std::string Scenario::PlaceSharedRuntime(const std::string& slot) {
  std::string folder = "LocalAppData\\Harrowmere\\Runtime\\" + slot;
  dir_.WriteFile(folder + "\\harrowmere-runtime.json", "{\"python\": \"3.13.1\"}\n");
  PlaceFixture(folder + "\\HarrowmereRuntime.exe");
  return dir_.Path(folder);
}

void Scenario::SetEnv(const std::string& name, std::optional<std::string> value) {
  std::wstring wide_name = Widen(name);
  for (EnvChange& change : env_) {
    if (change.name == wide_name) {
      change.value = value ? std::optional<std::wstring>(Widen(*value)) : std::nullopt;
      return;
    }
  }
  env_.push_back({wide_name, value ? std::optional<std::wstring>(Widen(*value)) : std::nullopt});
}

RunResult Scenario::Run(const std::vector<std::wstring>& args, BoxAnswer answer) {
  DeleteFileW(Widen(record_path()).c_str());
  RunOptions options;
  options.program = Widen(launcher_);
  options.arguments = args;
  options.environment = env_;
  options.answer = std::move(answer);
  return RunProgram(options);
}

RunResult Scenario::RunCommandLine(const std::wstring& line) {
  DeleteFileA(record_path().c_str());
  RunOptions options;
  options.program = WidenAnsi(launcher_);
  options.command_line = line;
  options.environment = env_;
  return RunProgram(options);
}

FixtureRecord Scenario::Record() const {
  FixtureRecord record;
  std::string text = ReadWholeFile(record_path());
  if (text.empty())
    return record;
  record.present = true;
  std::istringstream lines(text);
  std::string key;
  while (lines >> key) {
    std::string value;
    if (key == "env") {
      std::string name;
      lines >> name >> value;
      record.env[name] =
          value == "unset" ? std::nullopt : std::optional<std::string>(FromHex(value));
      continue;
    }
    lines >> value;
    if (key == "cmdline")
      record.command_line = FromHex(value);
    if (key == "arg")
      record.args.push_back(FromHex(value));
    if (key == "wcmdline")
      record.wide_command_line = WideFromHex(value);
    if (key == "warg")
      record.wide_args.push_back(WideFromHex(value));
    if (key == "image")
      record.image = FromHex(value);
    if (key == "stdin")
      record.std_in = value;
    if (key == "stdout")
      record.std_out = value;
    if (key == "stderr")
      record.std_err = value;
    if (key == "in_job")
      record.in_job = value == "1";
    if (key == "cwd")
      record.cwd = FromHex(value);
  }
  return record;
}

}  // namespace ormix::test
