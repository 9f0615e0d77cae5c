// The floor of any launcher: start "_internal\python.exe" beside this program with the same
// arguments a launcher would pass, wait, and return its exit code. No job, no log, no search.
//
// Built once bare and once per ORMIX_HOP_ADDS_* definition, each adding one thing the launcher
// does, so that the benchmark can say what each costs on its own:
//   USER32, SHELL32  the DLL in the import table (called on a path that never runs)
//   JOB              a kill-on-close job that the child is placed in
//   SUSPENDED        the child created suspended, then resumed
//   LOG              a launch log: its folders, the file, a header line, the child's output in it
//   PROBES           the launcher's file probes for an embedded runtime
//   ENVIRONMENT      the six variables the launcher sets
// ORMIX_HOP_ADDS_KERNEL_WORK adds the last five together: the launcher's own work without its
// DLLs.
#include <windows.h>

#include <cwchar>
#include <initializer_list>

#if defined(ORMIX_HOP_ADDS_SHELL32)
#include <shellapi.h>
#endif

#if defined(ORMIX_HOP_ADDS_KERNEL_WORK)
#define ORMIX_HOP_ADDS_JOB
#define ORMIX_HOP_ADDS_SUSPENDED
#define ORMIX_HOP_ADDS_LOG
#define ORMIX_HOP_ADDS_PROBES
#define ORMIX_HOP_ADDS_ENVIRONMENT
#endif

namespace {

#if defined(ORMIX_HOP_ADDS_LOG)
// As the launcher makes it: every folder on the way, then the file, shared for reading only.
HANDLE OpenLog() {
  static wchar_t path[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"APPDATA", path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH - 40)
    return INVALID_HANDLE_VALUE;
  wcscpy(path + n, L"\\Ormix");
  CreateDirectoryW(path, nullptr);
  wcscat(path, L"\\logs");
  CreateDirectoryW(path, nullptr);
  wcscat(path, L"\\hop-launch.log");
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE log = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log != INVALID_HANDLE_VALUE) {
    static const char kHeader[] = "hop launcher: python.exe -m ormix.apps.converter\n";
    DWORD written = 0;
    WriteFile(log, kHeader, sizeof kHeader - 1, &written, nullptr);
  }
  return log;
}
#endif

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  static wchar_t application[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, application, MAX_PATH);
  while (n > 0 && application[n - 1] != L'\\') --n;
#if defined(ORMIX_HOP_ADDS_USER32)
  if (n == 0)
    MessageBoxW(nullptr, L"no folder", nullptr, MB_OK);
#endif
#if defined(ORMIX_HOP_ADDS_SHELL32)
  if (n == 0) {
    int argc = 0;
    LocalFree(CommandLineToArgvW(GetCommandLineW(), &argc));
  }
#endif
#if defined(ORMIX_HOP_ADDS_PROBES)
  // The embedded candidates, the windowless twin and the portable data folder.
  for (const wchar_t* name : {L"_internal\\python.exe", L"_internal\\pythonw.exe", L"data"}) {
    wcscpy(application + n, name);
    GetFileAttributesW(application);
  }
#endif
  wcscpy(application + n, L"_internal\\python.exe");
#if defined(ORMIX_HOP_ADDS_ENVIRONMENT)
  SetEnvironmentVariableW(L"ORMIX_LAUNCHER_DIR", L"C:\\Ormix");
  SetEnvironmentVariableW(L"ORMIX_APP_ROOT", L"C:\\Ormix");
  SetEnvironmentVariableW(L"ORMIX_PORTABLE", L"1");
  SetEnvironmentVariableW(L"ORMIX_PRODUCT_NAME", L"OrmixConverter");
  SetEnvironmentVariableW(L"ORMIX_PRODUCT_DISPLAY", L"Ormix Converter");
  SetEnvironmentVariableW(L"ORMIX_PRODUCT_VERSION", L"1.0.0");
#endif

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
  DWORD flags = CREATE_NO_WINDOW;
#if defined(ORMIX_HOP_ADDS_LOG)
  HANDLE log = OpenLog();
  if (log != INVALID_HANDLE_VALUE) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = log;
    startup.hStdError = log;
  }
#endif
#if defined(ORMIX_HOP_ADDS_JOB)
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
  limits.BasicLimitInformation.LimitFlags =
      JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_BREAKAWAY_OK;
  SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
#endif
#if defined(ORMIX_HOP_ADDS_SUSPENDED)
  flags |= CREATE_SUSPENDED;
#endif
  PROCESS_INFORMATION process = {};
  BOOL created = CreateProcessW(application, line, nullptr, nullptr, TRUE, flags, nullptr, nullptr,
                                &startup, &process);
#if defined(ORMIX_HOP_ADDS_LOG)
  if (log != INVALID_HANDLE_VALUE)
    CloseHandle(log);
#endif
  if (!created)
    return 3;
#if defined(ORMIX_HOP_ADDS_JOB)
  AssignProcessToJobObject(job, process.hProcess);
#endif
#if defined(ORMIX_HOP_ADDS_SUSPENDED)
  ResumeThread(process.hThread);
#endif
  CloseHandle(process.hThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
#if defined(ORMIX_HOP_ADDS_JOB)
  CloseHandle(job);
#endif
  return static_cast<int>(code);
}
