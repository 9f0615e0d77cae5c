// The product identity a test expects, and the texts the launcher builds from it. Tests compare
// against these instead of spelling the names, so that the same tests check a launcher built with
// other -D options.
#pragma once

#include <string>

namespace ormix::test {

struct Identity {
  std::string display_name;    // captions, messages, FileDescription and ProductName
  std::string product_key;     // InternalName, exe and log file names, ORMIX_PRODUCT_NAME
  std::string version;         // ProductVersion, ORMIX_PRODUCT_VERSION, the log's header
  std::string file_version;    // four numbers, FileVersion and the fixed versions
  std::string app_module;      // what the interpreter runs after -m
  std::string company_name;    // CompanyName
  std::string support_email;   // ends the failure report
  std::string appdata_folder;  // holds the per-user logs under APPDATA
};

// This build's settings: what the code linked into the test programs carries, and so also the
// launchers this build makes (the shipped one and the loopback one).
const Identity& BuiltIdentity();

// What the launcher under test carries (see launcher_under_test.h): this build's settings, each
// replaced by ORMIX_TEST_<setting> when that is set (the cache variable ORMIX_<setting> with
// TEST_ inserted), for a launcher built with other -D options.
const Identity& ExpectedIdentity();

// The launch log's first line for this interpreter, without its line feed.
std::string LaunchLogHeader(const Identity& id, const std::string& interpreter);

// The per-user launch log under an APPDATA folder.
std::string UserLogPath(const Identity& id, const std::string& app_data);

// The fatal message of a launch that found no runtime and could not install one.
std::string MissingRuntimeMessage(const Identity& id);

// A fatal message as its line on standard error.
std::string FatalLine(const Identity& id, const std::string& text);

}  // namespace ormix::test
