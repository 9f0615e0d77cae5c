#include "support/identity.h"

#include <cstdlib>

#include "product_config.h"

namespace ormix::test {
namespace {

std::string Setting(const char* name, const char* built) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] != '\0' ? std::string(value) : std::string(built);
}

}  // namespace

const Identity& BuiltIdentity() {
  static const Identity identity = {
      ORMIX_CFG_DISPLAY_NAME,  ORMIX_CFG_PRODUCT_KEY,    ORMIX_CFG_VERSION,
      ORMIX_CFG_FILE_VERSION,  ORMIX_CFG_MODULE,         ORMIX_CFG_COMPANY_NAME,
      ORMIX_CFG_SUPPORT_EMAIL, ORMIX_CFG_APPDATA_FOLDER,
  };
  return identity;
}

const Identity& ExpectedIdentity() {
  static const Identity identity = {
      Setting("ORMIX_TEST_PRODUCT_DISPLAY_NAME", ORMIX_CFG_DISPLAY_NAME),
      Setting("ORMIX_TEST_PRODUCT_KEY", ORMIX_CFG_PRODUCT_KEY),
      Setting("ORMIX_TEST_VERSION", ORMIX_CFG_VERSION),
      Setting("ORMIX_TEST_FILE_VERSION", ORMIX_CFG_FILE_VERSION),
      Setting("ORMIX_TEST_APP_MODULE", ORMIX_CFG_MODULE),
      Setting("ORMIX_TEST_COMPANY_NAME", ORMIX_CFG_COMPANY_NAME),
      Setting("ORMIX_TEST_SUPPORT_EMAIL", ORMIX_CFG_SUPPORT_EMAIL),
      Setting("ORMIX_TEST_APPDATA_FOLDER", ORMIX_CFG_APPDATA_FOLDER),
  };
  return identity;
}

std::string LaunchLogHeader(const Identity& id, const std::string& interpreter) {
  return id.display_name + " " + id.version + " launcher: " + interpreter + " -m " + id.app_module;
}

std::string UserLogPath(const Identity& id, const std::string& app_data) {
  return app_data + "\\" + id.appdata_folder + "\\logs\\" + id.product_key + "-launch.log";
}

std::string MissingRuntimeMessage(const Identity& id) {
  return id.display_name + " could not find a Python runtime.\n\nPlease reinstall " +
         id.display_name + ". The application will now exit.";
}

std::string FatalLine(const Identity& id, const std::string& text) {
  return id.display_name + ": " + text + "\n";
}

}  // namespace ormix::test
