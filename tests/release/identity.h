// The product identity the launcher under test should carry: this build's settings, or, for a
// launcher built with other -D options, the values of ORMIX_TEST_<setting> (the cache variable
// ORMIX_<setting> with TEST_ inserted).
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

const Identity& ExpectedIdentity();

}  // namespace ormix::test
