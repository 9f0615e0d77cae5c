// The launch, step by step: the child's command line, its launch log, the job, the suspended
// start, the wait and the report. RunInterpreter reads as that list.
#include "launcher/run_interpreter.h"

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "common/exit_codes.h"
#include "common/fatal_message.h"
#include "common/handles.h"
#include "common/heap_vector.h"
#include "common/limits.h"
#include "common/product.h"
#include "common/text_format.h"
#include "common/wide_text.h"
#include "diagnostics/failure_report.h"
#include "diagnostics/launch_log.h"
#include "launcher/command_line.h"

namespace ormix {
namespace {

// Kill-on-close ends everything the application left in the job when the launcher lets go of
// it; breakaway-ok lets the application start processes that are meant to outlive it.
constexpr DWORD kJobLimits = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_BREAKAWAY_OK;
constexpr DWORD kCreationFlags = CREATE_SUSPENDED | CREATE_NO_WINDOW;

int ShowCouldNotStart(const char* interpreter_path) {
  char message[kMessageCapacity];
  Format(message, "%s could not start Python.\n\nPython path: %s\n\nPlease reinstall %s.",
         kDisplayName, interpreter_path, kDisplayName);
  ShowFatalMessage(message);
  return kExitCouldNotStart;
}

// Entry 0 the interpreter, then "-m", the module, and the user's arguments 1 to argc - 1.
bool BuildChildArgs(HeapStringVector<char>& child, const char* interpreter_path,
                    const char* const* utf8_args, int argc) {
  std::size_t n = static_cast<std::size_t>(argc) + 2;
  if (!child.Allocate(n))
    return false;
  const char* fixed[] = {interpreter_path, "-m", kAppModule};
  for (std::size_t i = 0; i < 3; ++i) {
    child.Set(i, DuplicateText(fixed[i]));
    if (child[i] == nullptr)
      return false;
  }
  for (int i = 1; i < argc; ++i) {
    std::size_t at = static_cast<std::size_t>(i) + 2;
    child.Set(at, DuplicateText(utf8_args[i]));
    if (child[at] == nullptr)
      return false;
  }
  return true;
}

// Every entry is UTF-8: the interpreter's path as the launcher found it, the user's arguments as
// they were given.
bool WidenChildArgs(HeapStringVector<wchar_t>& wide, const HeapStringVector<char>& child) {
  if (!wide.Allocate(child.size()))
    return false;
  for (std::size_t i = 0; i < child.size(); ++i) {
    // Never more units than bytes.
    std::size_t capacity = std::strlen(child[i]) + 1;
    auto* text = static_cast<wchar_t*>(std::malloc(capacity * sizeof(wchar_t)));
    if (text == nullptr)
      return false;
    wide.Set(i, text);
    if (WidenUtf8(child[i], text, capacity) != 0)
      return false;
  }
  return true;
}

// The command line the child receives. 0, or the exit code to end with: 3 after the
// could-not-start message when the child's arguments cannot be copied, 1 (nothing shown) when
// their wide form or the line itself cannot be made.
int MakeChildCommandLine(const RuntimeLocation& location, const char* const* utf8_args, int argc,
                         HeapText<wchar_t>& command_line) {
  HeapStringVector<char> child;
  if (!BuildChildArgs(child, location.interpreter_path, utf8_args, argc)) {
    child.Clear();
    return ShowCouldNotStart(location.interpreter_path);
  }
  HeapStringVector<wchar_t> wide;
  if (!WidenChildArgs(wide, child))
    return kExitSilentFailure;
  command_line.reset(BuildCommandLine(wide.data(), static_cast<int>(wide.size())));
  return command_line ? 0 : kExitSilentFailure;
}

// The launch log of this run, and its path for the report; the path is empty exactly when no
// log is open, which is how the report learns that none was written.
struct ChildLog {
  char path[kPathCapacity] = {};
  FileHandle file;
};

void OpenChildLog(const char* app_root, const char* header, ChildLog& log) {
  if (ChooseLaunchLogPath(app_root, kProductKey, log.path, sizeof log.path) != 0)
    return;
  log.file.reset(OpenLaunchLog(log.path, header));
  if (!log.file)
    log.path[0] = '\0';
}

// A job that ends every process still in it when its last handle closes. Without one the
// application still runs, only unsupervised.
KernelHandle CreateKillOnCloseJob() {
  KernelHandle job(CreateJobObjectW(nullptr, nullptr));
  if (job) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = kJobLimits;
    SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
  }
  return job;
}

// Creates the child suspended, with the log (when there is one) as its standard output and
// error, and closes the launcher's copy of the log right after: from then on only the
// application holds it. Then places the child in the job and lets it run.
bool StartInJob(const wchar_t* application, wchar_t* command_line, FileHandle& log,
                const KernelHandle& job, ProcessHandles& child) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  if (log) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = log.get();
    startup.hStdError = log.get();
  }
  PROCESS_INFORMATION process = {};
  BOOL created = CreateProcessW(application, command_line, nullptr, nullptr, TRUE, kCreationFlags,
                                nullptr, nullptr, &startup, &process);
  log.reset();
  if (!created)
    return false;
  child = ProcessHandles(process);
  // Assigned while the primary thread is still suspended, so nothing it starts escapes the job.
  if (job)
    AssignProcessToJobObject(job.get(), child.process.get());
  ResumeThread(child.thread.get());
  child.thread.reset();
  return true;
}

// Waits without a time limit and returns the exit code; 0 when it cannot be read.
DWORD WaitForExitCode(ProcessHandles& child) {
  WaitForSingleObject(child.process.get(), INFINITE);
  DWORD exit_code = 0;
  GetExitCodeProcess(child.process.get(), &exit_code);
  child.process.reset();
  return exit_code;
}

}  // namespace

int RunInterpreter(const RuntimeLocation& location, const char* const* utf8_args, int argc) {
  HeapText<wchar_t> command_line;
  if (int code = MakeChildCommandLine(location, utf8_args, argc, command_line); code != 0)
    return code;
  // The same text as the command line's entry 0, which was widened already, so it converts.
  wchar_t application[kPathCapacity];
  WidenUtf8(location.interpreter_path, application);

  char header[kPathCapacity];
  Format(header, "%s %s launcher: %s -m %s", kDisplayName, kVersion, location.interpreter_path,
         kAppModule);
  ChildLog log;
  OpenChildLog(location.app_root, header, log);

  std::uint64_t start_tick = GetTickCount64();
  KernelHandle job = CreateKillOnCloseJob();
  ProcessHandles child;
  if (!StartInJob(application, command_line.get(), log.file, job, child)) {
    ShowCouldNotStart(location.interpreter_path);
    return kExitCouldNotStart;
  }
  DWORD exit_code = WaitForExitCode(child);
  // The job's last handle: whatever the application left running in it ends now.
  job.reset();

  if (exit_code != 0) {
    std::uint64_t elapsed = GetTickCount64() - start_tick;
    ReportChildFailure(kDisplayName, exit_code, elapsed, log.path, header);
  }
  return static_cast<int>(exit_code);
}

}  // namespace ormix
