// The child's command line, built from whatever arguments the user's shell passed. The input is
// read as little-endian 16-bit units, Windows' wchar_t; a zero unit ends an argument. The line
// must split back into exactly the vector by the Windows rules (the launcher's own splitter, which
// the Windows tests hold against CommandLineToArgvW).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "launcher/command_line.h"

using ormix::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::wstring> args(1);
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    wchar_t unit = static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    if (unit == 0) {
      args.emplace_back();
    } else {
      args.back().push_back(unit);
    }
  }
  // Entry 0 is the interpreter path, which Windows splits without escapes: a path holds no double
  // quote, and ends in the program's file name, not in a backslash.
  std::wstring& program = args[0];
  std::erase(program, L'"');
  while (!program.empty() && program.back() == L'\\') program.pop_back();

  std::vector<const wchar_t*> pointers;
  std::size_t total = 0;
  for (const std::wstring& arg : args) {
    pointers.push_back(arg.c_str());
    total += arg.size();
  }
  wchar_t* line = ormix::BuildCommandLine(pointers.data(), static_cast<int>(pointers.size()));
  Require(line != nullptr, "the line is built");
  const std::size_t length = std::wcslen(line);
  Require(length <= 2 * total + 3 * args.size(), "the line stays within its worst-case bound");
  int count = -1;
  ormix::ArgumentBlock split(ormix::SplitCommandLine(line, L"", &count));
  Require(split != nullptr, "the line is split");
  Require(std::vector<std::wstring>(split.get(), split.get() + count) == args,
          "the line splits back into the vector");
  std::free(line);
  return 0;
}
