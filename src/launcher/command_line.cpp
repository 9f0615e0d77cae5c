#include "launcher/command_line.h"

#include <climits>
#include <cstddef>
#include <cstdlib>
#include <cwchar>

namespace ormix {
namespace {

constexpr bool IsBlank(wchar_t c) {
  return c == L' ' || c == L'\t';
}

// Where a split goes. Without a block it only counts the entries and the characters their texts
// take (terminators included), so that a second pass can fill one block of exactly that size.
struct SplitOutput {
  wchar_t** entries = nullptr;
  wchar_t* text = nullptr;
  std::size_t count = 0;
  std::size_t chars = 0;

  void Begin() {
    if (entries != nullptr)
      entries[count] = text + chars;
    ++count;
  }
  void Put(wchar_t c, std::size_t times = 1) {
    for (std::size_t i = 0; i < times; ++i, ++chars) {
      if (entries != nullptr)
        text[chars] = c;
    }
  }
};

// A program's path holds no double quote and its folders may end in backslashes, so entry 0 has
// no escapes: quoted as a whole, from a quote at the very start to the next one, or not at all.
const wchar_t* SplitProgramName(const wchar_t* p, SplitOutput& out) {
  out.Begin();
  bool quoted = *p == L'"';
  if (quoted)
    ++p;
  for (; *p != L'\0' && (quoted ? *p != L'"' : !IsBlank(*p)); ++p) out.Put(*p);
  if (quoted && *p == L'"')
    ++p;
  out.Put(L'\0');
  return p;
}

const wchar_t* SplitArgument(const wchar_t* p, SplitOutput& out) {
  out.Begin();
  bool quoted = false;
  while (*p != L'\0' && (quoted || !IsBlank(*p))) {
    std::size_t run = 0;
    while (p[run] == L'\\') ++run;
    if (run > 0) {
      p += run;
      bool before_quote = *p == L'"';
      out.Put(L'\\', before_quote ? run / 2 : run);
      // An odd run makes the quote a literal one, written below; an even run leaves it to be read
      // as a quote.
      if (!before_quote || run % 2 == 0)
        continue;
    } else if (*p == L'"') {
      // Two in a row inside a quoted part: one literal quote, and the part ends.
      bool doubled = quoted && p[1] == L'"';
      quoted = !quoted;
      ++p;
      if (!doubled)
        continue;
    }
    out.Put(*p++);
  }
  out.Put(L'\0');
  return p;
}

void Split(const wchar_t* line, const wchar_t* program_path, SplitOutput& out) {
  if (line == nullptr || line[0] == L'\0') {
    out.Begin();
    for (const wchar_t* p = program_path; p != nullptr && *p != L'\0'; ++p) out.Put(*p);
    out.Put(L'\0');
    return;
  }
  const wchar_t* p = SplitProgramName(line, out);
  for (;;) {
    while (IsBlank(*p)) ++p;
    if (*p == L'\0')
      return;
    p = SplitArgument(p, out);
  }
}

bool NeedsQuotes(const wchar_t* arg) {
  if (arg[0] == L'\0')
    return true;
  // Carriage return and form feed do not split arguments, so they need no quotes.
  return std::wcspbrk(arg, L" \t\n\v\"") != nullptr;
}

wchar_t* AppendQuoted(wchar_t* out, const wchar_t* arg) {
  *out++ = L'"';
  for (const wchar_t* p = arg;;) {
    std::size_t backslashes = 0;
    while (*p == L'\\') {
      ++backslashes;
      ++p;
    }
    if (*p == L'\0') {
      // Doubled, so that the closing quote is not escaped.
      for (std::size_t i = 0; i < 2 * backslashes; ++i) *out++ = L'\\';
      break;
    }
    std::size_t copies = *p == L'"' ? 2 * backslashes + 1 : backslashes;
    for (std::size_t i = 0; i < copies; ++i) *out++ = L'\\';
    *out++ = *p++;
  }
  *out++ = L'"';
  return out;
}

}  // namespace

wchar_t** SplitCommandLine(const wchar_t* line, const wchar_t* program_path, int* count) {
  SplitOutput measure;
  Split(line, program_path, measure);
  // Every entry has its terminator among the characters, so neither sum below can wrap before
  // the line itself would have filled the address space.
  if (measure.count > static_cast<std::size_t>(INT_MAX) - 1)
    return nullptr;
  std::size_t pointers = (measure.count + 1) * sizeof(wchar_t*);
  void* block = std::malloc(pointers + measure.chars * sizeof(wchar_t));
  if (block == nullptr)
    return nullptr;

  SplitOutput fill;
  fill.entries = static_cast<wchar_t**>(block);
  fill.text = reinterpret_cast<wchar_t*>(static_cast<char*>(block) + pointers);
  Split(line, program_path, fill);
  fill.entries[fill.count] = nullptr;
  *count = static_cast<int>(fill.count);
  return fill.entries;
}

wchar_t* BuildCommandLine(const wchar_t* const* args, int count) {
  // Worst case per argument: every character doubled, two quotes and a separator.
  std::size_t capacity = 1;
  for (int i = 0; i < count; ++i) {
    std::size_t length = std::wcslen(args[i]);
    if (length > (static_cast<std::size_t>(-1) / sizeof(wchar_t) - capacity - 3) / 2) {
      return nullptr;
    }
    capacity += 2 * length + 3;
  }
  auto* line = static_cast<wchar_t*>(std::calloc(capacity, sizeof(wchar_t)));
  if (line == nullptr)
    return nullptr;

  wchar_t* out = line;
  for (int i = 0; i < count; ++i) {
    if (i > 0)
      *out++ = L' ';
    if (NeedsQuotes(args[i])) {
      out = AppendQuoted(out, args[i]);
    } else {
      for (const wchar_t* p = args[i]; *p != L'\0'; ++p) *out++ = *p;
    }
  }
  *out = L'\0';
  return line;
}

}  // namespace ormix
