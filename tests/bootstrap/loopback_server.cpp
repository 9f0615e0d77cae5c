#include "loopback_server.h"

#include <sstream>

#include "support/process_run.h"

namespace ormix::test {

LoopbackServer::LoopbackServer(const ServerOptions& options) {
  std::wstring log = Widen(dir_.Path("requests.log"));
  std::wstring ready = Widen(dir_.Path("ready"));
  std::vector<std::wstring> args = {Widen(BinDir() + "\\ormix_http_fixture.exe"),
                                    std::to_wstring(kLoopbackPort), log, ready};
  if (!options.file.empty())
    args.insert(args.end(), {L"--file", Widen(options.file)});
  args.insert(
      args.end(),
      {L"--status", std::to_wstring(options.status), L"--chunk", std::to_wstring(options.chunk),
       L"--delay", std::to_wstring(options.delay_ms), L"--pad", std::to_wstring(options.pad),
       L"--cache", std::to_wstring(options.cache_seconds), L"--cut", std::to_wstring(options.cut)});
  std::wstring command_line = JoinArguments(args);

  // Closing the job's last handle ends the server, also when this process ends without the
  // destructor having run.
  job_ = CreateJobObjectW(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(args[0].c_str(), command_line.data(), nullptr, nullptr, FALSE,
                      CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process)) {
    error_ = "the server could not be started";
    return;
  }
  process_ = process.hProcess;
  AssignProcessToJobObject(job_, process_);
  ResumeThread(process.hThread);
  CloseHandle(process.hThread);

  ULONGLONG deadline = GetTickCount64() + 20000;
  while (!FileExists(dir_.Path("ready"))) {
    if (WaitForSingleObject(process_, 10) == WAIT_OBJECT_0) {
      DWORD code = 0;
      GetExitCodeProcess(process_, &code);
      error_ = "the server ended with " + std::to_string(code) + " (3: port " +
               std::to_string(kLoopbackPort) + " is taken)";
      return;
    }
    if (GetTickCount64() > deadline) {
      error_ = "the server did not start listening";
      return;
    }
  }
  listening_ = true;
}

LoopbackServer::~LoopbackServer() {
  if (process_ != nullptr) {
    TerminateProcess(process_, 0);
    WaitForSingleObject(process_, 10000);
    CloseHandle(process_);
  }
  if (job_ != nullptr)
    CloseHandle(job_);
}

std::vector<std::string> LoopbackServer::Requests() const {
  std::vector<std::string> lines;
  std::istringstream text(ReadWholeFile(dir_.Path("requests.log")));
  for (std::string line; std::getline(text, line);) lines.push_back(line);
  return lines;
}

std::string LoopbackUrl(const std::string& path) {
  return "http://127.0.0.1:" + std::to_string(kLoopbackPort) + path;
}

std::string InstallerPath(const std::string& channel) {
  return "/ormix/releases/download/runtime-" + channel + "/Harrowmere-Runtime-Setup.exe";
}

}  // namespace ormix::test
