// ASCII-only character classes and case folding. The launcher never folds or classifies by locale:
// bytes from 0x80 up are neither letters nor digits and fold to themselves.
#pragma once

#include <cstddef>
#include <string_view>

namespace ormix {

// Non-throwing slices: std::string_view::substr throws, and its throw path alone would pull most
// of the C++ runtime library into the launcher. Positions past the end clamp to it.
constexpr std::string_view Head(std::string_view text, std::size_t count) {
  return std::string_view(text.data(), count < text.size() ? count : text.size());
}
constexpr std::string_view Tail(std::string_view text, std::size_t from) {
  return from < text.size() ? std::string_view(text.data() + from, text.size() - from)
                            : std::string_view(text.data() + text.size(), 0);
}
constexpr bool EndsWith(std::string_view text, std::string_view ending) {
  return text.size() >= ending.size() && Tail(text, text.size() - ending.size()) == ending;
}

constexpr bool IsAsciiDigit(char c) {
  return c >= '0' && c <= '9';
}

constexpr bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

constexpr char FoldAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// Whether text begins with prefix, comparing under ASCII case folding.
constexpr bool StartsWithFolded(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size())
    return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (FoldAscii(text[i]) != FoldAscii(prefix[i]))
      return false;
  }
  return true;
}

constexpr bool EqualsFolded(std::string_view a, std::string_view b) {
  return a.size() == b.size() && StartsWithFolded(a, b);
}

// The text after whichever of the last backslash and the last forward slash comes later, or the
// whole text when it holds neither.
constexpr std::string_view FileNameOf(std::string_view path) {
  std::size_t cut = path.find_last_of("\\/");
  return cut == std::string_view::npos ? path : Tail(path, cut + 1);
}

}  // namespace ormix
