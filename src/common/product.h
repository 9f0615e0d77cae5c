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

// The shared runtime series: default slot folder and the version its manifest must name.
inline constexpr const char kRuntimeSeries[] = "3.13";

// The release file that every channel URL ends in; the beta channel rewrites its middle segment.
inline constexpr const char kInstallerUrlTail[] =
    "/releases/download/runtime-latest/Harrowmere-Runtime-Setup.exe";
inline constexpr const char kDefaultInstallerUrl[] =
    ORMIX_CFG_DOWNLOAD_BASE "/releases/download/runtime-latest/Harrowmere-Runtime-Setup.exe";

}  // namespace ormix
