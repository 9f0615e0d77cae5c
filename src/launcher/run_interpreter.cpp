#include "launcher/run_interpreter.h"

#include <windows.h>

#include <cstdint>
#include <cstdlib>

#include "common/exit_codes.h"
#include "common/fatal_message.h"
#include "common/handles.h"
#include "common/heap_vector.h"
#include "common/product.h"
#include "common/text_format.h"
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

// The interpreter path is in the ANSI code page; the user's arguments were held as UTF-8.
bool WidenChildArgs(HeapStringVector<wchar_t>& wide, const HeapStringVector<char>& child) {
  if (!wide.Allocate(child.size()))
    return false;
  for (std::size_t i = 0; i < child.size(); ++i) {
    UINT code_page = i == 0 ? CP_ACP : CP_UTF8;
    int length = MultiByteToWideChar(code_page, 0, child[i], -1, nullptr, 0);
    if (length <= 0)
      return false;
    auto* text = static_cast<wchar_t*>(std::malloc(static_cast<std::size_t>(length) * 2));
    if (text == nullptr)
      return false;
    wide.Set(i, text);
    MultiByteToWideChar(code_page, 0, child[i], -1, text, length);
  }
  return true;
}

}  // namespace

int RunInterpreter(const RuntimeLocation& location, const char* const* utf8_args, int argc) {
  HeapStringVector<char> child;
  if (!BuildChildArgs(child, location.interpreter_path, utf8_args, argc)) {
    child.Clear();
    return ShowCouldNotStart(location.interpreter_path);
  }
  HeapStringVector<wchar_t> wide;
  if (!WidenChildArgs(wide, child))
    return kExitSilentFailure;

  wchar_t application[kPathCapacity];
  MultiByteToWideChar(CP_ACP, 0, location.interpreter_path, -1, application, kPathCapacity);

  HeapText<wchar_t> command_line(BuildCommandLine(wide.data(), static_cast<int>(wide.size())));
  if (!command_line)
    return kExitSilentFailure;

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  char log_path[kPathCapacity] = {};

  char header[kPathCapacity];
  Format(header, "%s %s launcher: %s -m %s", kDisplayName, kVersion, location.interpreter_path,
         kAppModule);

  FileHandle log;
  if (ChooseLaunchLogPath(location.app_root, kProductKey, log_path, sizeof log_path) == 0) {
    log.reset(OpenLaunchLog(log_path, header));
    // An empty path is how the report learns that no log was written.
    if (!log)
      log_path[0] = '\0';
  }
  if (log) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = log.get();
    startup.hStdError = log.get();
  }

  std::uint64_t start_tick = GetTickCount64();

  KernelHandle job(CreateJobObjectW(nullptr, nullptr));
  if (job) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = kJobLimits;
    SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
  }

  BOOL created = CreateProcessW(application, command_line.get(), nullptr, nullptr, TRUE,
                                kCreationFlags, nullptr, nullptr, &startup, &process);
  // From here on only the application holds the log.
  log.reset();
  if (!created) {
    ShowCouldNotStart(location.interpreter_path);
    job.reset();
    return kExitCouldNotStart;
  }

  KernelHandle process_handle(process.hProcess);
  KernelHandle thread(process.hThread);
  // Assigned while the primary thread is still suspended, so nothing it starts escapes the job.
  if (job)
    AssignProcessToJobObject(job.get(), process_handle.get());
  ResumeThread(thread.get());
  thread.reset();
  WaitForSingleObject(process_handle.get(), INFINITE);
  DWORD exit_code = 0;
  GetExitCodeProcess(process_handle.get(), &exit_code);
  process_handle.reset();
  // The job's last handle: whatever the application left running in it ends now.
  job.reset();

  if (exit_code != 0) {
    std::uint64_t elapsed = GetTickCount64() - start_tick;
    ReportChildFailure(kDisplayName, exit_code, elapsed, log_path, header);
  }
  return static_cast<int>(exit_code);
}

}  // namespace ormix
