#include "bootstrap/installer_run.h"

#include <windows.h>
#include <shellapi.h>

#include "common/handles.h"
#include "common/system_library.h"

namespace ormix {

static_assert(sizeof(SHELLEXECUTEINFOW) == 112, "the shell reads the record by its size");

int RunInstaller(const wchar_t* installer_path) {
  SHELLEXECUTEINFOW execute = {};
  execute.cbSize = sizeof execute;
  execute.fMask = SEE_MASK_NOCLOSEPROCESS;
  execute.lpVerb = L"open";
  execute.lpFile = installer_path;
  execute.nShow = SW_SHOWNORMAL;
  auto shell_execute =
      LoadSystemFunction<decltype(&ShellExecuteExW)>(L"shell32.dll", "ShellExecuteExW");
  // A failed start has been explained already: the shell shows its own error box.
  if (shell_execute == nullptr || !shell_execute(&execute) || execute.hProcess == nullptr)
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
