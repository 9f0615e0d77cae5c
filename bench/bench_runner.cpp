// Measures the launcher against its floor, from a Windows-side parent, and prints a table.
//   bench_runner <folder with OrmixConverter.exe, hop.exe, _internal\python.exe> [rounds]
//   [name...]
// Every time is measured in this run next to its baseline; ratios compare like with like. Each
// name is one more program in the folder (<name>.exe: a hop with one thing added, another build
// of the launcher) timed in the same interleaved rounds and set against the bare hop.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <random>
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

// A program timed in the interleaved rounds, and what its probe runs found. Every round runs
// every program once, so a time can be set against the hop's time of the same round: on a machine
// busy with other work the load changes from second to second, and the median of those ratios
// is steadier than the ratio of two medians.
struct Way {
  std::string name;
  std::wstring program;
  std::wstring arguments;
  std::vector<double> times = {};
  std::vector<double> start_to_child = {}, peak = {}, private_kb = {};
};

// The median over the rounds of a way's value against the hop's, as a ratio or a difference;
// rounds in which either probe failed (a negative value) are passed over.
double RoundRatio(const std::vector<double>& values, const std::vector<double>& hop_values) {
  std::vector<double> ratios;
  for (std::size_t i = 0; i < values.size() && i < hop_values.size(); ++i) {
    if (values[i] > 0 && hop_values[i] > 0)
      ratios.push_back(values[i] / hop_values[i]);
  }
  return ratios.empty() ? 0 : Summarise(ratios).median;
}

double RoundDifference(const std::vector<double>& values, const std::vector<double>& hop_values) {
  std::vector<double> differences;
  for (std::size_t i = 0; i < values.size() && i < hop_values.size(); ++i) {
    if (values[i] >= 0 && hop_values[i] >= 0)
      differences.push_back(values[i] - hop_values[i]);
  }
  return differences.empty() ? 0 : Summarise(differences).median;
}

// Only the rounds' values that were measured.
std::vector<double> Measured(const std::vector<double>& values) {
  std::vector<double> kept;
  for (double value : values) {
    if (value >= 0)
      kept.push_back(value);
  }
  return kept;
}

void ProbeWay(Way& way, const std::wstring& probe_file) {
  Probe p;
  bool ok = RunProbe(way.program, probe_file, &p);
  way.start_to_child.push_back(ok ? StartToChild(p) : -1);
  way.peak.push_back(ok ? static_cast<double>(p.peak_working_set) / 1024.0 : -1);
  way.private_kb.push_back(ok ? static_cast<double>(p.private_bytes) / 1024.0 : -1);
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
  // Interleaved, so that drift hits every way alike, and in a new order each round: a run takes
  // longer right after some programs than after others (Wine is still tearing the last process
  // down), so no way may always follow the same one.
  std::mt19937 random(20261211);
  std::vector<std::size_t> order(n);
  for (std::size_t k = 0; k < n; ++k) order[k] = k;
  for (int i = 0; i < rounds; ++i) {
    std::shuffle(order.begin(), order.end(), random);
    for (std::size_t k : order)
      ways[k].times.push_back(TimeRun(ways[k].program, ways[k].arguments));
  }
  const Way& direct = ways[0];
  const Way& hop = ways[1];
  const Way& launcher = ways[2];
  Stats sa = Summarise(direct.times), sb = Summarise(hop.times), sc = Summarise(launcher.times);

  std::wstring probe_file = Widen(folder + "\\probe.txt");
  // As many probe rounds as timed ones: a start-up difference of a millisecond or two hides in
  // the spread of a loaded machine unless the medians rest on as many runs.
  for (int i = 0; i < std::max(rounds, 15); ++i) {
    std::shuffle(order.begin(), order.end(), random);
    for (std::size_t k : order) {
      if (k != 0)
        ProbeWay(ways[k], probe_file);
    }
  }

  std::string small_log = MakeLog(folder + "\\small.log", 1024);
  std::string big_log = MakeLog(folder + "\\big.log", 1024ll * 1024 * 1024);
  Stats small = TimeLogTail(small_log, 300), big = TimeLogTail(big_log, 300);
  DeleteFileA(big_log.c_str());

  printf("| measure | value | baseline / note |\n|---|---|---|\n");
  printf(
      "| (a) application started directly | %.2f ms (p10 %.2f, p90 %.2f) | %d rounds, each "
      "running every program once in a random order |\n",
      sa.median, sa.low, sa.high, rounds);
  printf(
      "| (b) through the bare hop | %.2f ms (p10 %.2f, p90 %.2f) | floor of any launcher: (b) - "
      "(a) = %.2f ms |\n",
      sb.median, sb.low, sb.high, sb.median - sa.median);
  printf(
      "| (c) through OrmixConverter.exe | %.2f ms (p10 %.2f, p90 %.2f) | (c) / (b) = %.3f; median "
      "of the rounds' ratios %.3f (target at most 1.10) |\n",
      sc.median, sc.low, sc.high, sc.median / sb.median, RoundRatio(launcher.times, hop.times));
  std::vector<double> launcher_start = Measured(launcher.start_to_child);
  std::vector<double> hop_start = Measured(hop.start_to_child);
  if (!launcher_start.empty() && !hop_start.empty()) {
    Stats ls = Summarise(launcher_start), hs = Summarise(hop_start);
    double hop_private = Summarise(Measured(hop.private_kb)).median;
    double launcher_private = Summarise(Measured(launcher.private_kb)).median;
    printf(
        "| process start to the child's creation, launcher | %.2f ms (p10 %.2f, p90 %.2f) | hop: "
        "%.2f ms; launcher's own work before CreateProcessW: %.2f ms, median of the rounds' "
        "differences %.2f ms (target at most 2) |\n",
        ls.median, ls.low, ls.high, hs.median, ls.median - hs.median,
        RoundDifference(launcher.start_to_child, hop.start_to_child));
    printf("| launcher's peak working set while the application runs | %.0f KB | hop: %.0f KB |\n",
           Summarise(Measured(launcher.peak)).median, Summarise(Measured(hop.peak)).median);
    printf(
        "| launcher's private bytes while the application runs | %.0f KB | hop: %.0f KB; ratio "
        "%.3f (target at most 1.10) |\n",
        launcher_private, hop_private, launcher_private / hop_private);
  }
  for (std::size_t k = 3; k < n; ++k) {
    const Way& way = ways[k];
    Stats s = Summarise(way.times);
    printf("| %s | %.2f ms (p10 %.2f, p90 %.2f) | / (b) = %.3f, rounds' median %.3f",
           way.name.c_str(), s.median, s.low, s.high, s.median / sb.median,
           RoundRatio(way.times, hop.times));
    std::vector<double> private_kb = Measured(way.private_kb);
    if (!private_kb.empty()) {
      printf("; before CreateProcessW %+.2f ms (rounds' median), private bytes %.0f KB",
             RoundDifference(way.start_to_child, hop.start_to_child), Summarise(private_kb).median);
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
