// The bare hop without the C runtime: its own entry point and KERNEL32 alone in its import table,
// to show what loading and starting the C runtime costs on its own.
#include <windows.h>

namespace {

wchar_t* Append(wchar_t* out, const wchar_t* text) {
  while (*text != 0) *out++ = *text++;
  return out;
}

wchar_t application[MAX_PATH];
wchar_t line[32768];

}  // namespace

extern "C" int HopEntry() {
  DWORD n = GetModuleFileNameW(nullptr, application, MAX_PATH);
  while (n > 0 && application[n - 1] != L'\\') --n;
  Append(application + n, L"_internal\\python.exe");

  const wchar_t* rest = GetCommandLineW();
  bool quoted = false;
  while (*rest != 0 && (quoted || (*rest != L' ' && *rest != L'\t'))) {
    if (*rest == L'"')
      quoted = !quoted;
    ++rest;
  }
  wchar_t* out = Append(line, L"\"");
  out = Append(out, application);
  out = Append(out, L"\" -m ormix.apps.converter");
  // The rest of a command line always fits: it came from one of at most 32767 characters.
  *Append(out, rest) = 0;

  STARTUPINFOW startup;
  PROCESS_INFORMATION process;
  for (BYTE* p = reinterpret_cast<BYTE*>(&startup); p < reinterpret_cast<BYTE*>(&startup + 1);)
    *p++ = 0;
  startup.cb = sizeof startup;
  if (!CreateProcessW(application, line, nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                      &startup, &process)) {
    ExitProcess(3);
  }
  CloseHandle(process.hThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  ExitProcess(code);
}
