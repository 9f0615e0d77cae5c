#include "launcher/launcher_main.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string_view>

#include "bootstrap/runtime_download.h"
#include "common/ascii.h"
#include "common/environment.h"
#include "common/exit_codes.h"
#include "common/fatal_message.h"
#include "common/file_probe.h"
#include "common/heap_vector.h"
#include "common/limits.h"
#include "common/path_join.h"
#include "common/product.h"
#include "common/text_format.h"
#include "common/wide_text.h"
#include "diagnostics/archive_check.h"
#include "launcher/command_line.h"
#include "launcher/run_interpreter.h"
#include "runtime/runtime_search.h"
#include "runtime/runtime_url.h"

namespace ormix {
namespace {

// The user's arguments as UTF-8. An unpaired surrogate, which UTF-8 cannot hold, becomes U+FFFD:
// the argument still arrives, as close to what was typed as UTF-8 allows.
bool ConvertArgumentsToUtf8(HeapStringVector<char>& utf8, int argc, wchar_t** argv) {
  if (!utf8.Allocate(static_cast<std::size_t>(argc)))
    return false;
  for (int i = 0; i < argc; ++i) {
    std::size_t units = std::wcslen(argv[i]);
    if (units > (static_cast<std::size_t>(-1) - 1) / kUtf8BytesPerUtf16Unit)
      return false;
    std::size_t size = units * kUtf8BytesPerUtf16Unit + 1;
    auto* text = static_cast<char*>(std::malloc(size));
    if (text == nullptr)
      return false;
    utf8.Set(static_cast<std::size_t>(i), text);
    if (NarrowToUtf8(argv[i], text, size, Malformed::kReplace) != 0)
      return false;
  }
  return true;
}

bool Found(int result, const RuntimeLocation& location) {
  return result == 0 && location.interpreter_path[0] != '\0';
}

// No runtime, and none could be installed: the archive advice when the launcher runs from an
// archive tool's temporary folder, else the plain missing-runtime message.
int ShowNoRuntime(const char* launcher_path) {
  char message[kMessageCapacity];
  if (IsArchiveTempPath(launcher_path) != 0) {
    char file_name[kPathCapacity];
    std::string_view name = FileNameOf(launcher_path);
    Format(file_name, "%.*s", static_cast<int>(name.size()), name.data());
    FormatArchiveMessage(kDisplayName, file_name, message, sizeof message);
  } else {
    Format(message,
           "%s could not find a Python runtime.\n\nPlease reinstall %s. The application will now "
           "exit.",
           kDisplayName, kDisplayName);
  }
  ShowFatalMessage(message);
  return kExitNoRuntime;
}

// Returns 0 when a runtime is in location afterwards, else the exit code to end with.
int HandleMissingRuntime(const char* launcher_path, RuntimeLocation& location) {
  char url[kUrlCapacity];
  if (ChooseRuntimeUrl(kDefaultInstallerUrl, location.slot, url, sizeof url) != 0) {
    // Dev builds carry no installer to offer and do not repair themselves.
    char message[kMessageCapacity];
    Format(message,
           "%s is a Dev version, and the engine it runs on is missing from this computer.\n\nDev "
           "versions don't repair themselves. Reinstall the Dev build of %s, or install the "
           "Stable version from the Harrowmere website. The application will now exit.",
           kDisplayName, kDisplayName);
    ShowFatalMessage(message);
    return kExitNoRuntime;
  }
  if (OfferRuntimeDownload(kDisplayName, url) == 0 &&
      Found(ResolveRuntime(launcher_path, &location), location)) {
    return 0;
  }
  return ShowNoRuntime(launcher_path);
}

}  // namespace

wchar_t** SplitLauncherCommandLine(int* argc) {
  const wchar_t* line = GetCommandLineW();
  // Only an empty line needs the launcher's path: it then stands as entry 0.
  static wchar_t own_path[kPathCapacity];
  if (line[0] == L'\0')
    GetModuleFileNameW(nullptr, own_path, kPathCapacity);
  return SplitCommandLine(line, own_path, argc);
}

int GetLauncherPath(char* buffer, std::size_t capacity) {
  if (buffer == nullptr || capacity == 0)
    return -1;
  buffer[0] = '\0';
  wchar_t wide[kPathCapacity];
  DWORD length = GetModuleFileNameW(nullptr, wide, kPathCapacity);
  // A length that fills the buffer may be a cut path. The UTF-8 form must fit whole and be
  // exact: a path changed by the conversion would be another folder's.
  if (length == 0 || length >= kPathCapacity)
    return -1;
  return NarrowToUtf8(wide, buffer, capacity);
}

void SwitchToWindowlessInterpreter(RuntimeLocation& location) {
  constexpr std::string_view kConsoleName = "\\python.exe";
  std::string_view path = location.interpreter_path;
  if (path.size() < kConsoleName.size())
    return;
  std::size_t keep = path.size() - kConsoleName.size();
  if (!EqualsFolded(Tail(path, keep), kConsoleName))
    return;

  char candidate[kPathCapacity];
  Format(candidate, "%.*s\\pythonw.exe", static_cast<int>(keep), location.interpreter_path);
  if (IsExistingFile(candidate))
    CopyText(location.interpreter_path, candidate);
}

void SetApplicationEnvironment(const char* launcher_path, const RuntimeLocation& location) {
  std::string_view folder = FolderOf(launcher_path);
  if (!folder.empty()) {
    char text[kPathCapacity];
    Format(text, "%.*s", static_cast<int>(folder.size()), folder.data());
    SetEnvironment("ORMIX_LAUNCHER_DIR", text);
  }
  // The application's root is the runtime's home, also for the shared runtime.
  if (location.runtime_home[0] != '\0') {
    SetEnvironment("ORMIX_APP_ROOT", location.runtime_home);
  }
  if (HasPortableDataFolder(location.app_root))
    SetEnvironment("ORMIX_PORTABLE", "1");
  SetEnvironment("ORMIX_PRODUCT_NAME", kProductKey);
  SetEnvironment("ORMIX_PRODUCT_DISPLAY", kDisplayName);
  SetEnvironment("ORMIX_PRODUCT_VERSION", kVersion);
}

int LauncherMain(int argc, wchar_t** argv) {
  HeapStringVector<char> utf8;
  if (!ConvertArgumentsToUtf8(utf8, argc, argv))
    return kExitSilentFailure;

  char launcher_path[kPathCapacity];
  if (GetLauncherPath(launcher_path, sizeof launcher_path) != 0) {
    ShowFatalMessage("Could not determine install location.");
    return kExitNoLauncherPath;
  }

  static RuntimeLocation location;
  if (!Found(ResolveRuntime(launcher_path, &location), location)) {
    int code = HandleMissingRuntime(launcher_path, location);
    if (code != 0)
      return code;
  }

  SwitchToWindowlessInterpreter(location);
  SetApplicationEnvironment(launcher_path, location);
  return RunInterpreter(location, utf8.data(), argc);
}

}  // namespace ormix
