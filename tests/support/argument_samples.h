// Random argument vectors and command lines for the quoting tests, rich in the characters that
// the Windows splitting rules treat specially.
#pragma once

#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace ormix::test {

// The interpreter path comes first. Windows splits the first entry by simpler rules (no escapes),
// and a path holds no double quote and does not end in a backslash, so it is a realistic path.
inline std::vector<std::wstring> RandomArguments(std::mt19937& random) {
  static const wchar_t* const kPieces[] = {
      L"a",  L"Z",  L" ", L"\t", L"\\", L"\\\\",   L"\"",     L"\n",        L"\v",
      L"\r", L"\f", L"=", L"-",  L"'",  L"\u00e9", L"\u65e5", L"\U0001F600"};
  std::vector<std::wstring> args = {random() % 2 ? L"C:\\Program Files\\Py\\python.exe"
                                                 : L"C:\\Py\\python.exe"};
  int count = static_cast<int>(random() % 6);
  for (int i = 0; i < count; ++i) {
    std::wstring arg;
    int length = static_cast<int>(random() % 9);
    for (int k = 0; k < length; ++k) arg += kPieces[random() % std::size(kPieces)];
    args.push_back(arg);
  }
  return args;
}

// A command line of random characters, such as no quoting routine writes but a caller may pass:
// doubled quotes, backslash runs and blanks in every order, also in the program name (entry 0,
// which has rules of its own), and now and then an empty line or one that starts with a blank.
inline std::wstring RandomCommandLine(std::mt19937& random) {
  static const wchar_t kChars[] = L"ab \t\\\\\\\"\"\"\n\v\r\f\u00e9";
  std::wstring line;
  switch (random() % 4) {
    case 0:
      line = L"\"C:\\Program Files\\Py\\python.exe\" ";
      break;
    case 1:
      line = L"C:\\Py\\python.exe ";
      break;
    default:
      // The program name is made of the same random characters.
      break;
  }
  int length = static_cast<int>(random() % 16);
  for (int k = 0; k < length; ++k) line += kChars[random() % (std::size(kChars) - 1)];
  return line;
}

}  // namespace ormix::test
