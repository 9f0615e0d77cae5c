// Names of the Harrowmere runtime family: the shared runtime's folders and files, its installer
// and the installer's window class. They are the family's interface, shared by every product
// built from this launcher, so unlike the product identity they are not build settings.
#pragma once

namespace ormix {

// The runtime series: the default slot folder and the version every manifest must name.
inline constexpr const char kRuntimeSeries[] = "3.13";
// Under %LOCALAPPDATA%; one folder per channel slot below it.
inline constexpr const char kSharedRuntimeFolder[] = "Harrowmere\\Runtime";
inline constexpr const char kRuntimeManifestName[] = "harrowmere-runtime.json";
inline constexpr const char kRuntimeHostName[] = "HarrowmereRuntime.exe";

// The installer: its file name in TEMP, and the release path every channel URL ends in. The
// beta channel rewrites the middle segment of that path.
inline constexpr const wchar_t kInstallerFileName[] = L"Harrowmere-Runtime-Setup.exe";
// A macro as well, because only literals concatenate with the build's download base.
#define ORMIX_INSTALLER_URL_TAIL "/releases/download/runtime-latest/Harrowmere-Runtime-Setup.exe"
inline constexpr const char kInstallerUrlTail[] = ORMIX_INSTALLER_URL_TAIL;

inline constexpr const wchar_t kProgressWindowClass[] = L"HarrowmereRuntimeBootstrap";

}  // namespace ormix
