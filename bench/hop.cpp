// The floor of any launcher: start "_internal\python.exe" beside this program with the same
// arguments a launcher would pass, wait, and return its exit code. No job, no log, no search.
#include <windows.h>

#include <cwchar>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  static wchar_t application[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, application, MAX_PATH);
  while (n > 0 && application[n - 1] != L'\\') --n;
  wcscpy(application + n, L"_internal\\python.exe");

  // Everything after our own name, as the launcher would hand it on.
  const wchar_t* rest = GetCommandLineW();
  bool quoted = false;
  while (*rest != 0 && (quoted || (*rest != L' ' && *rest != L'\t'))) {
    if (*rest == L'"')
      quoted = !quoted;
    ++rest;
  }
  static wchar_t line[32768];
  _snwprintf(line, 32767, L"\"%ls\" -m ormix.apps.converter%ls", application, rest);

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(application, line, nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                      &startup, &process)) {
    return 3;
  }
  CloseHandle(process.hThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}
