#include "runtime/runtime_search.h"

#include <cstring>
#include <string_view>

#include "common/environment.h"
#include "common/file_probe.h"
#include "common/path_join.h"
#include "common/runtime_family.h"
#include "common/text_format.h"
#include "runtime/app_version_file.h"
#include "runtime/manifest_scan.h"

namespace ormix {
namespace {

constexpr const char* kEmbeddedCandidates[] = {"_internal\\python.exe", "python.exe",
                                               "pythonw.exe"};

}  // namespace

int FindEmbeddedRuntime(const char* folder, char* interpreter, std::size_t interpreter_capacity,
                        char* home, std::size_t home_capacity) {
  // Without a folder the candidates would be looked up in the current directory.
  if (folder == nullptr || folder[0] == '\0')
    return -1;
  char candidate[kPathCapacity];
  for (const char* name : kEmbeddedCandidates) {
    JoinPath(candidate, sizeof candidate, folder, name);
    // A folder that bears a candidate's name is passed over.
    if (!IsExistingFile(candidate))
      continue;
    CopyText(interpreter, interpreter_capacity, candidate);
    CopyText(home, home_capacity, folder);
    return 0;
  }
  return -1;
}

int FindSharedRuntime(const char* slot, char* interpreter, std::size_t interpreter_capacity,
                      char* home, std::size_t home_capacity) {
  char local_app_data[kPathCapacity];
  if (ReadEnvironment("LOCALAPPDATA", local_app_data, sizeof local_app_data) == nullptr)
    return -1;

  char root[kPathCapacity];
  Format(root, "%s\\%s", local_app_data, kSharedRuntimeFolder);
  if (!PathExists(root))
    return -1;

  char slot_folder[kPathCapacity];
  bool has_slot = slot != nullptr && slot[0] != '\0';
  JoinPath(slot_folder, sizeof slot_folder, root, has_slot ? slot : kRuntimeSeries);
  if (!PathExists(slot_folder))
    return -1;

  char manifest[kPathCapacity];
  JoinPath(manifest, sizeof manifest, slot_folder, kRuntimeManifestName);
  if (!IsExistingFile(manifest))
    return -1;
  char head[kManifestReadLimit + 1];
  if (ReadManifestHead(manifest, head) != 0)
    return -1;
  // The series, not the slot, is checked: a 3.13-beta folder must still hold a 3.13 runtime.
  if (CheckRuntimeManifest(head) != 0)
    return -1;

  char host[kPathCapacity];
  JoinPath(host, sizeof host, slot_folder, kRuntimeHostName);
  if (!IsExistingFile(host))
    return -1;

  CopyText(interpreter, interpreter_capacity, host);
  CopyText(home, home_capacity, slot_folder);
  return 0;
}

int ResolveRuntime(const char* launcher_path, RuntimeLocation* location) {
  if (location == nullptr)
    return -1;
  std::memset(location, 0, sizeof *location);

  // Without a folder (a bare file name, or a path too long to hold) the embedded runtime and the
  // app version file would be looked for in the current directory, so neither is.
  char folder[kPathCapacity] = {};
  bool has_folder = false;
  if (launcher_path != nullptr && std::strlen(launcher_path) < sizeof folder) {
    std::string_view found = FolderOf(launcher_path);
    Format(folder, "%.*s", static_cast<int>(found.size()), found.data());
    has_folder = !found.empty();
  }

  if (has_folder) {
    if (FindEmbeddedRuntime(folder, location->interpreter_path, kPathCapacity,
                            location->runtime_home, kPathCapacity) == 0) {
      CopyText(location->app_root, folder);
      return 0;
    }
    // Its result does not matter: on every failure the slot is left empty.
    ReadRuntimeSlot(folder, location->slot, kSlotCapacity);
  }
  return FindSharedRuntime(location->slot, location->interpreter_path, kPathCapacity,
                           location->runtime_home, kPathCapacity);
}

}  // namespace ormix
