#include "support/windows_argv.h"

#include <cstddef>

namespace ormix::test {
namespace {

bool IsSeparator(wchar_t c) {
  return c == L' ' || c == L'\t';
}

}  // namespace

std::vector<std::wstring> SplitWindowsCommandLine(std::wstring_view line) {
  std::vector<std::wstring> args;
  std::size_t i = 0;

  std::wstring program;
  if (i < line.size() && line[i] == L'"') {
    ++i;
    while (i < line.size() && line[i] != L'"') program.push_back(line[i++]);
    if (i < line.size())
      ++i;
  } else {
    while (i < line.size() && !IsSeparator(line[i])) program.push_back(line[i++]);
  }
  args.push_back(program);

  for (;;) {
    while (i < line.size() && IsSeparator(line[i])) ++i;
    if (i >= line.size())
      break;
    std::wstring arg;
    bool quoted = false;
    while (i < line.size() && (quoted || !IsSeparator(line[i]))) {
      wchar_t c = line[i];
      if (c == L'\\') {
        std::size_t run = 0;
        while (i + run < line.size() && line[i + run] == L'\\') ++run;
        bool before_quote = i + run < line.size() && line[i + run] == L'"';
        if (!before_quote) {
          arg.append(run, L'\\');
          i += run;
          continue;
        }
        arg.append(run / 2, L'\\');
        i += run;
        if (run % 2 == 1) {
          arg.push_back(L'"');
          ++i;
        }
        // An even run leaves the quote to be read as a quote.
        continue;
      }
      if (c == L'"') {
        if (quoted && i + 1 < line.size() && line[i + 1] == L'"') {
          arg.push_back(L'"');
          quoted = false;
          i += 2;
          continue;
        }
        quoted = !quoted;
        ++i;
        continue;
      }
      arg.push_back(c);
      ++i;
    }
    args.push_back(arg);
  }
  return args;
}

}  // namespace ormix::test
