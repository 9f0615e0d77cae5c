// Running a program the way a user's shell would, with an exact environment, its standard output
// and error captured, and its message boxes read and answered.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/message_boxes.h"

namespace ormix::test {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);  // to UTF-8
// Bytes in this process's ANSI code page, such as a program that is not told otherwise writes.
std::wstring WidenAnsi(std::string_view ansi);

// Quotes every argument, independently of the launcher's own quoting, so that a fault there is
// not mirrored here. The result splits back into the same vector by the Windows rules.
std::wstring QuoteArgument(std::wstring_view arg);
std::wstring JoinArguments(const std::vector<std::wstring>& args);

struct EnvChange {
  std::wstring name;
  std::optional<std::wstring> value;  // no value: the variable is removed
};

struct RunOptions {
  std::wstring program;                 // full path of the exe
  std::vector<std::wstring> arguments;  // after argv[0], which is the program path
  // The whole command line exactly as the program is to receive it, in place of the quoted path
  // and arguments: what a shell or another program may pass, empty included.
  std::optional<std::wstring> command_line;
  std::vector<EnvChange> environment;  // applied to a copy of this process's environment
  std::wstring current_dir;            // empty: this process's own
  BoxAnswer answer;                    // empty: every box gets IDOK, or IDNO for a question
  DWORD timeout_ms = 60000;
};

struct RunResult {
  bool started = false;  // CreateProcessW succeeded
  DWORD exit_code = 0xFFFFFFFF;
  bool timed_out = false;
  std::string out;  // bytes the program wrote to its standard output
  std::string err;  // and to its standard error
  std::vector<BoxSeen> boxes;
};

RunResult RunProgram(const RunOptions& options);

// An environment block built from this process's environment with the changes applied.
std::wstring BuildEnvironmentBlock(const std::vector<EnvChange>& changes);

}  // namespace ormix::test
