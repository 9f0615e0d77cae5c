// The application the benchmark starts: it ends at once. With ORMIX_BENCH_PROBE set it first
// writes, to that file, its parent's memory figures and both processes' creation times, so the
// runner can see what the launcher costs while it waits and how long it took to create us.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>

namespace {

DWORD ParentId() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  DWORD self = GetCurrentProcessId(), parent = 0;
  for (BOOL ok = Process32FirstW(snapshot, &entry); ok; ok = Process32NextW(snapshot, &entry)) {
    if (entry.th32ProcessID == self)
      parent = entry.th32ParentProcessID;
  }
  CloseHandle(snapshot);
  return parent;
}

unsigned long long CreationTime(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user))
    return 0;
  return (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

}  // namespace

int wmain() {
  wchar_t probe[MAX_PATH];
  if (GetEnvironmentVariableW(L"ORMIX_BENCH_PROBE", probe, MAX_PATH) == 0)
    return 0;
  HANDLE parent = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ParentId());
  PROCESS_MEMORY_COUNTERS_EX memory = {};
  memory.cb = sizeof memory;
  if (parent != nullptr) {
    GetProcessMemoryInfo(parent, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                         sizeof memory);
  }
  FILE* out = _wfopen(probe, L"w");
  if (out == nullptr)
    return 1;
  fprintf(out, "%llu %llu %llu %llu %llu\n",
          static_cast<unsigned long long>(memory.PeakWorkingSetSize),
          static_cast<unsigned long long>(memory.WorkingSetSize),
          // Wine leaves PrivateUsage at 0; the commit charge is the same figure on Windows.
          static_cast<unsigned long long>(memory.PrivateUsage ? memory.PrivateUsage
                                                              : memory.PagefileUsage),
          parent ? CreationTime(parent) : 0ull, CreationTime(GetCurrentProcess()));
  fclose(out);
  if (parent)
    CloseHandle(parent);
  return 0;
}
