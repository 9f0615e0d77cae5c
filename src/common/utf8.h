// UTF-8, the launcher's one form of text, and UTF-16, the form of Windows' wide calls: exact
// conversion between them into caller buffers, and the checks that keep UTF-8 text whole.
//
// Pure code over char16_t (Windows' wchar_t is the same unit; common/wide_text.h adapts it), so
// that it also builds natively for the sanitizers and fuzzers.
#pragma once

#include <cstddef>
#include <string_view>

namespace ormix {

// What a conversion does with input that has no exact form on the other side: an invalid UTF-8
// sequence, or a UTF-16 surrogate without its partner. Paths and environment values refuse it, so
// that a path is never changed into another one; arguments and messages get U+FFFD in its place.
enum class Malformed { kRefuse, kReplace };

// Writes text as UTF-16 into out (capacity in units, terminator included) and returns 0, or
// returns -1 with out empty (when capacity allows) when the result does not fit or the text is
// malformed and refused. Never writes part of a text.
int Utf8ToUtf16(std::string_view text, char16_t* out, std::size_t capacity,
                Malformed malformed = Malformed::kRefuse);

// The same in the other direction; capacity in bytes. Each UTF-16 unit takes at most three bytes.
int Utf16ToUtf8(std::u16string_view text, char* out, std::size_t capacity,
                Malformed malformed = Malformed::kRefuse);

// The bytes 0x80 to 0xBF, which only ever continue a character.
constexpr bool IsUtf8Continuation(unsigned char c) {
  return (c & 0xC0) == 0x80;
}

// Whether text is well-formed UTF-8: no overlong form, no encoded surrogate, nothing past
// U+10FFFF, no sequence cut short. The empty text is.
bool IsValidUtf8(std::string_view text);

// The longest length of at most limit bytes at which text can be cut without leaving the first
// bytes of a character behind: limit itself, or a little less when a character straddles it.
std::size_t Utf8CutLength(std::string_view text, std::size_t limit);

}  // namespace ormix
