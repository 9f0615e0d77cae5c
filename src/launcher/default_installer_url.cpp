// The only translation unit that uses the build's download base. The bootstrap tests compile it
// once more with a loopback base and link that copy first, so every other object stays shared.
#include "common/product.h"
#include "common/runtime_family.h"

namespace ormix {

extern const char kDefaultInstallerUrl[] = ORMIX_CFG_DOWNLOAD_BASE ORMIX_INSTALLER_URL_TAIL;

}  // namespace ormix
