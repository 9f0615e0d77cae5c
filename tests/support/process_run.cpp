#include "support/process_run.h"

#include <map>
#include <set>
#include <utility>

#include "support/scratch_dir.h"

namespace ormix::test {
namespace {

std::wstring Convert(std::string_view text, UINT code_page) {
  if (text.empty())
    return L"";
  int n = MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

// Case-insensitive ordering, as Windows keeps environment names.
struct NameLess {
  bool operator()(const std::wstring& a, const std::wstring& b) const {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_LESS_THAN;
  }
};

HANDLE InheritableFile(const std::string& path) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  return CreateFileW(Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

int DefaultAnswer(const BoxSeen&) {
  return IDOK;
}

}  // namespace

std::wstring Widen(std::string_view utf8) {
  return Convert(utf8, CP_UTF8);
}
std::wstring WidenAnsi(std::string_view ansi) {
  return Convert(ansi, CP_ACP);
}

std::string Narrow(std::wstring_view wide) {
  if (wide.empty())
    return "";
  int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

std::wstring QuoteArgument(std::wstring_view arg) {
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    out.push_back(c);
  }
  out.append(2 * backslashes, L'\\');
  out.push_back(L'"');
  return out;
}

std::wstring JoinArguments(const std::vector<std::wstring>& args) {
  std::wstring line;
  for (const std::wstring& arg : args) {
    if (!line.empty())
      line.push_back(L' ');
    line += QuoteArgument(arg);
  }
  return line;
}

std::wstring BuildEnvironmentBlock(const std::vector<EnvChange>& changes) {
  std::map<std::wstring, std::wstring, NameLess> vars;
  wchar_t* current = GetEnvironmentStringsW();
  for (const wchar_t* p = current; *p != L'\0'; p += wcslen(p) + 1) {
    std::wstring entry = p;
    // Entries such as "=C:=C:\" name per-drive folders; their name starts after the first byte.
    size_t eq = entry.find(L'=', 1);
    if (eq == std::wstring::npos)
      continue;
    vars[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  FreeEnvironmentStringsW(current);
  for (const EnvChange& change : changes) {
    if (change.value) {
      vars[change.name] = *change.value;
    } else {
      vars.erase(change.name);
    }
  }
  std::wstring block;
  for (const auto& [name, value] : vars) {
    block += name + L"=" + value;
    block.push_back(L'\0');
  }
  block.push_back(L'\0');
  return block;
}

RunResult RunProgram(const RunOptions& options) {
  RunResult result;
  ScratchDir capture;
  std::string out_path = capture.Path("stdout.bin");
  std::string err_path = capture.Path("stderr.bin");
  HANDLE out = InheritableFile(out_path);
  HANDLE err = InheritableFile(err_path);

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process = {};

  std::wstring command_line = QuoteArgument(options.program);
  for (const std::wstring& arg : options.arguments) command_line += L" " + QuoteArgument(arg);
  if (options.command_line)
    command_line = *options.command_line;
  std::wstring environment = BuildEnvironmentBlock(options.environment);
  BOOL created = CreateProcessW(options.program.c_str(), command_line.data(), nullptr, nullptr,
                                TRUE, CREATE_UNICODE_ENVIRONMENT, environment.data(),
                                options.current_dir.empty() ? nullptr : options.current_dir.c_str(),
                                &startup, &process);
  CloseHandle(out);
  CloseHandle(err);
  if (!created)
    return result;
  result.started = true;
  CloseHandle(process.hThread);

  BoxAnswer answer = options.answer ? options.answer : BoxAnswer(DefaultAnswer);
  std::set<HWND> answered;
  ULONGLONG deadline = GetTickCount64() + options.timeout_ms;
  while (WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT) {
    // The default answer is OK; a question box has none, and then gets No.
    for (BoxSeen& seen : AnswerNewBoxes(process.dwProcessId, answered, answer))
      result.boxes.push_back(std::move(seen));
    if (GetTickCount64() > deadline) {
      result.timed_out = true;
      TerminateProcess(process.hProcess, 0xDEAD);
      WaitForSingleObject(process.hProcess, 5000);
      break;
    }
  }
  GetExitCodeProcess(process.hProcess, &result.exit_code);
  CloseHandle(process.hProcess);
  result.out = ReadWholeFile(out_path);
  result.err = ReadWholeFile(err_path);
  return result;
}

}  // namespace ormix::test
