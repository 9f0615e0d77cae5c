#include "bootstrap/installer_run.h"

#include <windows.h>
#include <shellapi.h>

#include "common/handles.h"
#include "common/system_library.h"

namespace ormix {

static_assert(sizeof(SHELLEXECUTEINFOW) == 112, "the shell reads the record by its size");

int RunInstaller(const wchar_t* installer_path, FileHandle held) {
  SHELLEXECUTEINFOW execute = {};
  execute.cbSize = sizeof execute;
  execute.fMask = SEE_MASK_NOCLOSEPROCESS;
  execute.lpVerb = L"open";
  execute.lpFile = installer_path;
  execute.nShow = SW_SHOWNORMAL;
  // The file is still held, shared for reading only: the shell and the loader open it for
  // reading and executing, which that allows, while no other program can have changed it since
  // it was checked. Once the process exists, its image is mapped and the hold can go (it must,
  // for the file to be deleted after the run).
  auto shell_execute =
      LoadSystemFunction<decltype(&ShellExecuteExW)>(L"shell32.dll", "ShellExecuteExW");
  const BOOL started = shell_execute != nullptr && shell_execute(&execute);
  held.reset();
  // A failed start has been explained already: the shell shows its own error box.
  if (!started || execute.hProcess == nullptr)
    return 1;
  KernelHandle process(execute.hProcess);
  // No messages are pumped while the installer runs: the progress window is gone by now.
  WaitForSingleObject(process.get(), INFINITE);
  DWORD exit_code = 1;
  if (!GetExitCodeProcess(process.get(), &exit_code))
    exit_code = 1;
  process.reset();
  DeleteFileW(installer_path);
  return exit_code == 0 ? 0 : 1;
}

}  // namespace ormix
