// The Windows side of the launcher's text: UTF-8 inside, UTF-16 at every wide call. The narrow
// (ANSI) calls turn whatever their code page lacks into '?', so the launcher makes none with text.
#pragma once

#include <cstddef>
#include <string_view>

#include "common/utf8.h"

namespace ormix {

// Windows' wchar_t is a UTF-16 unit, the codec's char16_t under another name; the casts below
// only rename it. (Elsewhere wchar_t is 32 bits wide, which is why the codec does not use it.)
static_assert(sizeof(wchar_t) == sizeof(char16_t), "wide text is UTF-16 on Windows");

// Exact conversions for paths and environment values: -1 (with out empty) when the text has no
// exact form in the other encoding or does not fit, never a text that is cut or changed.
inline int WidenUtf8(const char* text, wchar_t* out, std::size_t capacity,
                     Malformed malformed = Malformed::kRefuse) {
  return Utf8ToUtf16(text != nullptr ? text : "", reinterpret_cast<char16_t*>(out), capacity,
                     malformed);
}
template <std::size_t N>
int WidenUtf8(const char* text, wchar_t (&out)[N], Malformed malformed = Malformed::kRefuse) {
  return WidenUtf8(text, out, N, malformed);
}

inline int NarrowToUtf8(const wchar_t* text, char* out, std::size_t capacity,
                        Malformed malformed = Malformed::kRefuse) {
  const auto* units = reinterpret_cast<const char16_t*>(text != nullptr ? text : L"");
  return Utf16ToUtf8(units, out, capacity, malformed);
}

// The system's own ANSI code page: what programs write in when nothing tells them otherwise
// (Python's redirected standard streams, for one). Asked of the system's locale rather than of
// GetACP, which answers 65001 in a process whose manifest asks for UTF-8.
unsigned SystemAnsiCodePage();

// Decodes text written in code page into UTF-8: its longest start of at most limit bytes (limit
// at most kLogLineCap) that does not end inside a double-byte character, cut further to fit
// capacity - 1 bytes without leaving part of a character. 0, or -1 with out empty.
int DecodeAnsi(unsigned code_page, std::string_view bytes, std::size_t limit, char* out,
               std::size_t capacity);

// The same with the system's ANSI code page; the form the failure report hands to the log reader.
int DecodeSystemAnsi(std::string_view bytes, std::size_t limit, char* out, std::size_t capacity);

}  // namespace ormix
