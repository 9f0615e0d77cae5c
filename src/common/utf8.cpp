#include "common/utf8.h"

#include "common/ascii.h"

namespace ormix {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// One character read from UTF-8. An invalid sequence reads as the longest start of it that could
// still have begun a character (at least one byte), so one replacement stands for all of that.
struct Utf8Step {
  char32_t code;
  std::size_t length;
  bool valid;
  bool cut_short;  // the text ended where the sequence needed another byte
};

Utf8Step ReadUtf8(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  if (lead < 0x80)
    return {lead, 1, true, false};
  std::size_t need = 0;
  char32_t code = 0;
  // The second byte's range also rules out overlong forms, surrogates and values past U+10FFFF.
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    need = 1;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    need = 2;
    code = lead & 0x0F;
    low = lead == 0xE0 ? 0xA0 : 0x80;
    high = lead == 0xED ? 0x9F : 0xBF;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    need = 3;
    code = lead & 0x07;
    low = lead == 0xF0 ? 0x90 : 0x80;
    high = lead == 0xF4 ? 0x8F : 0xBF;
  } else {
    return {0, 1, false, false};
  }
  std::size_t n = 1;
  for (; n <= need; ++n) {
    if (at + n >= text.size())
      return {0, n, false, true};
    const auto c = static_cast<unsigned char>(text[at + n]);
    if (c < low || c > high)
      return {0, n, false, false};
    low = 0x80;
    high = 0xBF;
    code = (code << 6) | (c & 0x3F);
  }
  return {code, n, true, false};
}

constexpr bool IsHighSurrogate(char32_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
constexpr bool IsLowSurrogate(char32_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

int Utf8ToUtf16(std::string_view text, char16_t* out, std::size_t capacity, Malformed malformed) {
  if (out == nullptr || capacity == 0)
    return -1;
  std::size_t n = 0;
  for (std::size_t at = 0; at < text.size();) {
    Utf8Step step = ReadUtf8(text, at);
    at += step.length;
    char32_t code = step.code;
    if (!step.valid) {
      if (malformed == Malformed::kRefuse) {
        out[0] = u'\0';
        return -1;
      }
      code = kReplacement;
    }
    const std::size_t units = code >= 0x10000 ? 2 : 1;
    if (n + units >= capacity) {
      out[0] = u'\0';
      return -1;
    }
    if (units == 2) {
      code -= 0x10000;
      out[n++] = static_cast<char16_t>(0xD800 + (code >> 10));
      out[n++] = static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
      out[n++] = static_cast<char16_t>(code);
    }
  }
  out[n] = u'\0';
  return 0;
}

int Utf16ToUtf8(std::u16string_view text, char* out, std::size_t capacity, Malformed malformed) {
  if (out == nullptr || capacity == 0)
    return -1;
  std::size_t n = 0;
  for (std::size_t at = 0; at < text.size();) {
    char32_t code = text[at++];
    if (IsHighSurrogate(code) && at < text.size() && IsLowSurrogate(text[at])) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[at++] - 0xDC00);
    } else if (IsHighSurrogate(code) || IsLowSurrogate(code)) {
      if (malformed == Malformed::kRefuse) {
        out[0] = '\0';
        return -1;
      }
      code = kReplacement;
    }
    const std::size_t bytes = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
    if (n + bytes >= capacity) {
      out[0] = '\0';
      return -1;
    }
    if (bytes == 1) {
      out[n++] = static_cast<char>(code);
      continue;
    }
    // The lead byte carries the length in its high bits, then six bits per continuation byte.
    constexpr unsigned char kLeadMarks[] = {0, 0, 0xC0, 0xE0, 0xF0};
    out[n] = static_cast<char>(kLeadMarks[bytes] | (code >> (6 * (bytes - 1))));
    for (std::size_t i = 1; i < bytes; ++i)
      out[n + i] = static_cast<char>(0x80 | ((code >> (6 * (bytes - 1 - i))) & 0x3F));
    n += bytes;
  }
  out[n] = '\0';
  return 0;
}

bool IsValidUtf8(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    Utf8Step step = ReadUtf8(text, at);
    if (!step.valid)
      return false;
    at += step.length;
  }
  return true;
}

std::size_t Utf8CutLength(std::string_view text, std::size_t limit) {
  std::size_t length = limit < text.size() ? limit : text.size();
  // Only the last character that starts before the cut can be cut short, and it starts at most
  // three bytes back.
  for (std::size_t back = 1; back <= 3 && back <= length; ++back) {
    std::size_t start = length - back;
    if (IsUtf8Continuation(static_cast<unsigned char>(text[start])))
      continue;
    return ReadUtf8(Head(text, length), start).cut_short ? start : length;
  }
  return length;
}

}  // namespace ormix
