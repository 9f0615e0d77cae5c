// The only translation unit that uses the build's installer settings: the download base, and
// what the installer must be to run. The bootstrap tests compile it once more with a loopback base
// and their own signer, and link that copy first, so every other object stays shared.
#include "common/product.h"
#include "common/runtime_family.h"

namespace ormix {

extern const char kDefaultInstallerUrl[] = ORMIX_CFG_DOWNLOAD_BASE ORMIX_INSTALLER_URL_TAIL;
extern const bool kVerifyInstaller = ORMIX_CFG_VERIFY_INSTALLER != 0;
extern const char kInstallerPublisher[] = ORMIX_CFG_INSTALLER_PUBLISHER;

}  // namespace ormix
