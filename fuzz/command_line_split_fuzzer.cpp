// The launcher's own command line, as whatever started it wrote it. The input is read as
// little-endian 16-bit units, Windows' wchar_t, up to the first zero unit. The split must be one
// well-formed block, take no more characters than the line has, and give arguments that the
// launcher's quoting hands on unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "launcher/command_line.h"

using ormix::fuzz::Require;

namespace {

std::vector<std::wstring> Split(const wchar_t* line, const wchar_t* program_path) {
  int count = -1;
  ormix::ArgumentBlock block(ormix::SplitCommandLine(line, program_path, &count));
  Require(block != nullptr, "the line is split");
  Require(count >= 1, "there is a program name");
  Require(block.get()[count] == nullptr, "the vector ends in a null entry");
  return std::vector<std::wstring>(block.get(), block.get() + count);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::wstring line;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    wchar_t unit = static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    if (unit == 0)
      break;
    line.push_back(unit);
  }
  const wchar_t* kProgramPath = L"C:\\Ormix\\OrmixConverter.exe";
  std::vector<std::wstring> args = Split(line.c_str(), kProgramPath);
  if (line.empty()) {
    Require(args == std::vector<std::wstring>{kProgramPath}, "an empty line gives the own path");
    return 0;
  }

  // Each character of an argument comes from at least one of the line's.
  std::size_t chars = 0;
  for (const std::wstring& arg : args) chars += arg.size();
  Require(chars <= line.size(), "the arguments take no more characters than the line has");

  // What the application receives: the same arguments after the interpreter's path.
  std::vector<std::wstring> child = args;
  child[0] = L"C:\\Py\\python.exe";
  std::vector<const wchar_t*> pointers;
  for (const std::wstring& arg : child) pointers.push_back(arg.c_str());
  wchar_t* built = ormix::BuildCommandLine(pointers.data(), static_cast<int>(pointers.size()));
  Require(built != nullptr, "the child's line is built");
  Require(Split(built, kProgramPath) == child, "the child's line splits into the same arguments");
  std::free(built);
  return 0;
}
