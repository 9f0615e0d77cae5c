#include "release/identity.h"

#include <windows.h>

#include "product_config.h"

namespace ormix::test {
namespace {

std::string Setting(const char* name, const char* built) {
  char value[1024];
  DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n == 0 || n >= sizeof value ? std::string(built) : std::string(value, n);
}

}  // namespace

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

}  // namespace ormix::test
