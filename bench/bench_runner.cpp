// Measures the launcher against its floor, from a Windows-side parent, and prints a table.
//   bench_runner <folder with OrmixConverter.exe, hop.exe, _internal\python.exe> [rounds]
//   [name...]
// Every time is measured in this run next to its baseline; ratios compare like with like. Each
// name is one more program in the folder (<name>.exe: a hop with one thing added, another build
// of the launcher) timed in the same interleaved rounds and set against the bare hop.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/progress_bench.h"
#include "diagnostics/log_tail.h"

namespace {

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

struct Stats {
  double median, low, high;  // low and high: 10th and 90th percentile
};

Stats Summarise(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  auto at = [&](double q) { return values[static_cast<size_t>(q * (values.size() - 1) + 0.5)]; };
  return {at(0.5), at(0.1), at(0.9)};
}

std::wstring Widen(const std::string& s) {
  return std::wstring(s.begin(), s.end());
}

// Runs a program to its end and returns the wall time in milliseconds, or -1.
double TimeRun(const std::wstring& program, const std::wstring& arguments) {
  std::wstring line = L"\"" + program + L"\" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  double start = Now();
  if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return -1;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  double elapsed = Now() - start;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return elapsed;
}

struct Probe {
  unsigned long long peak_working_set, working_set, private_bytes, parent_created, child_created;
};

bool RunProbe(const std::wstring& program, const std::wstring& probe_file, Probe* probe) {
  DeleteFileW(probe_file.c_str());
  SetEnvironmentVariableW(L"ORMIX_BENCH_PROBE", probe_file.c_str());
  TimeRun(program, L"");
  SetEnvironmentVariableW(L"ORMIX_BENCH_PROBE", nullptr);
  FILE* in = _wfopen(probe_file.c_str(), L"r");
  if (in == nullptr)
    return false;
  int got = fscanf(in, "%llu %llu %llu %llu %llu", &probe->peak_working_set, &probe->working_set,
                   &probe->private_bytes, &probe->parent_created, &probe->child_created);
  fclose(in);
  return got == 5;
}

// Time from the parent's creation to the child's, in milliseconds (FILETIME is 100 ns).
double StartToChild(const Probe& p) {
  return static_cast<double>(p.child_created - p.parent_created) / 10000.0;
}

std::string MakeLog(const std::string& path, long long size) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  const char tail[] = "Traceback (most recent call last):\nValueError: the last line\n";
  LARGE_INTEGER at;
  at.QuadPart = size - static_cast<long long>(sizeof tail - 1);
  // Everything before the tail stays a hole where the file system allows it.
  SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
  DWORD written = 0;
  WriteFile(file, tail, sizeof tail - 1, &written, nullptr);
  CloseHandle(file);
  return path;
}

Stats TimeLogTail(const std::string& path, int calls) {
  std::vector<double> times;
  char line[ormix::kLogLineCapacity];
  for (int i = 0; i < calls; ++i) {
    double start = Now();
    ormix::ReadLastLogLine(path.c_str(), "header", line, sizeof line);
    times.push_back((Now() - start) * 1000.0);  // microseconds
  }
  return Summarise(times);
}

// A program timed in the interleaved rounds, and what its probe runs found.
struct Way {
  std::string name;
  std::wstring program;
  std::wstring arguments;
  std::vector<double> times = {};
  std::vector<double> start_to_child = {}, peak = {}, private_kb = {};
};

void ProbeWay(Way& way, const std::wstring& probe_file) {
  Probe p;
  if (!RunProbe(way.program, probe_file, &p))
    return;
  way.start_to_child.push_back(StartToChild(p));
  way.peak.push_back(static_cast<double>(p.peak_working_set) / 1024.0);
  way.private_kb.push_back(static_cast<double>(p.private_bytes) / 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: bench_runner FOLDER [ROUNDS] [NAME...]\n");
    return 2;
  }
  std::string folder = argv[1];
  int rounds = argc > 2 ? atoi(argv[2]) : 41;
  SetEnvironmentVariableA("APPDATA", (folder + "\\appdata").c_str());

  // (a), (b), (c), then the extra programs.
  std::vector<Way> ways = {
      {"direct", Widen(folder + "\\_internal\\python.exe"), L"-m ormix.apps.converter"},
      {"hop", Widen(folder + "\\hop.exe"), L""},
      {"launcher", Widen(folder + "\\OrmixConverter.exe"), L""},
  };
  for (int i = 3; i < argc; ++i) {
    ways.push_back({argv[i], Widen(folder + "\\" + argv[i] + ".exe"), L""});
  }
  const std::size_t n = ways.size();

  // Warm the file cache and Wine's own start-up paths before anything is counted.
  for (int i = 0; i < 3; ++i) {
    for (Way& way : ways) TimeRun(way.program, way.arguments);
  }
  for (int i = 0; i < rounds; ++i) {
    // Interleaved, in a rotating order, so drift hits every way alike.
    for (std::size_t k = 0; k < n; ++k) {
      Way& way = ways[(static_cast<std::size_t>(i) + k) % n];
      way.times.push_back(TimeRun(way.program, way.arguments));
    }
  }
  Stats sa = Summarise(ways[0].times), sb = Summarise(ways[1].times), sc = Summarise(ways[2].times);

  std::wstring probe_file = Widen(folder + "\\probe.txt");
  for (int i = 0; i < 15; ++i) {
    for (std::size_t k = 1; k < n; ++k) ProbeWay(ways[k], probe_file);
  }
  const Way& hop = ways[1];
  const Way& launcher = ways[2];

  std::string small_log = MakeLog(folder + "\\small.log", 1024);
  std::string big_log = MakeLog(folder + "\\big.log", 1024ll * 1024 * 1024);
  Stats small = TimeLogTail(small_log, 300), big = TimeLogTail(big_log, 300);
  DeleteFileA(big_log.c_str());

  printf("| measure | value | baseline / note |\n|---|---|---|\n");
  printf(
      "| (a) application started directly | %.2f ms (p10 %.2f, p90 %.2f) | %d runs each, "
      "interleaved |\n",
      sa.median, sa.low, sa.high, rounds);
  printf(
      "| (b) through the bare hop | %.2f ms (p10 %.2f, p90 %.2f) | floor of any launcher: (b) - "
      "(a) = %.2f ms |\n",
      sb.median, sb.low, sb.high, sb.median - sa.median);
  printf(
      "| (c) through OrmixConverter.exe | %.2f ms (p10 %.2f, p90 %.2f) | (c) / (b) = %.3f (target "
      "at most 1.10) |\n",
      sc.median, sc.low, sc.high, sc.median / sb.median);
  if (!launcher.start_to_child.empty() && !hop.start_to_child.empty()) {
    Stats ls = Summarise(launcher.start_to_child), hs = Summarise(hop.start_to_child);
    double hop_private = Summarise(hop.private_kb).median;
    double launcher_private = Summarise(launcher.private_kb).median;
    printf(
        "| process start to the child's creation, launcher | %.2f ms (p10 %.2f, p90 %.2f) | hop: "
        "%.2f ms; launcher's own work before CreateProcessW: %.2f ms (target at most 2) |\n",
        ls.median, ls.low, ls.high, hs.median, ls.median - hs.median);
    printf("| launcher's peak working set while the application runs | %.0f KB | hop: %.0f KB |\n",
           Summarise(launcher.peak).median, Summarise(hop.peak).median);
    printf(
        "| launcher's private bytes while the application runs | %.0f KB | hop: %.0f KB; ratio "
        "%.3f (target at most 1.10) |\n",
        launcher_private, hop_private, launcher_private / hop_private);
  }
  for (std::size_t k = 3; k < n; ++k) {
    const Way& way = ways[k];
    Stats s = Summarise(way.times);
    printf("| %s | %.2f ms (p10 %.2f, p90 %.2f) | / (b) = %.3f", way.name.c_str(), s.median, s.low,
           s.high, s.median / sb.median);
    if (!way.start_to_child.empty() && !hop.start_to_child.empty()) {
      printf("; before CreateProcessW %+.2f ms, private bytes %.0f KB",
             Summarise(way.start_to_child).median - Summarise(hop.start_to_child).median,
             Summarise(way.private_kb).median);
    }
    printf(" |\n");
  }
  printf("| ReadLastLogLine, 1 KB log | %.1f us (p10 %.1f, p90 %.1f) | 300 calls |\n", small.median,
         small.low, small.high);
  printf("| ReadLastLogLine, 1 GB log | %.1f us (p10 %.1f, p90 %.1f) | ratio to 1 KB: %.2f |\n",
         big.median, big.low, big.high, big.median / small.median);
  ormix::bench::PrintProgressBench(Now);
  return 0;
}
