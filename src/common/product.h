// Product identity as typed constants. The values come from the build's cache variables, so a
// packager rebrands with -D options instead of editing code.
#pragma once

#include "product_config.h"

namespace ormix {

inline constexpr const char kDisplayName[] = ORMIX_CFG_DISPLAY_NAME;
inline constexpr const char kProductKey[] = ORMIX_CFG_PRODUCT_KEY;
inline constexpr const char kVersion[] = ORMIX_CFG_VERSION;
inline constexpr const char kAppModule[] = ORMIX_CFG_MODULE;
inline constexpr const char kSupportEmail[] = ORMIX_CFG_SUPPORT_EMAIL;
// The maker's folder under %APPDATA%, home of the per-user launch logs.
inline constexpr const char kAppDataFolder[] = ORMIX_CFG_APPDATA_FOLDER;

// The build's download base followed by the installer's release path (runtime_family.h). Defined
// in one translation unit, default_installer_url.cpp, so that a test build can swap the base by
// compiling that file alone again.
extern const char kDefaultInstallerUrl[];

// What the downloaded runtime installer must be before it runs, from the same translation unit:
// whether its Authenticode signature is verified, and the publisher that must have signed it
// (UTF-8, the signing certificate's common name; empty: any valid signature).
extern const bool kVerifyInstaller;
extern const char kInstallerPublisher[];

}  // namespace ormix
