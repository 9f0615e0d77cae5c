// The one bounded formatter. Every write into a fixed buffer goes through it: the result is cut
// at capacity - 1 and always terminated, so no call site can overrun or forget the terminator.
// Narrow text is UTF-8, and a cut never leaves part of a character at its end.
//
// Directives: %s (text of the buffer's own character type), %.*s (an int precision, then text),
// %d, %u, %lu, %llu (all take integers of any width; signedness comes from the directive) and %%.
// Arguments are typed values rather than C varargs, so a wrong argument cannot read the stack: a
// directive whose argument is missing or of the wrong kind writes nothing.
#pragma once

#include <cstddef>
#include <initializer_list>

namespace ormix {

class FormatArg {
 public:
  enum class Kind : unsigned char { kText, kWideText, kInteger };

  constexpr FormatArg(const char* text) : kind_(Kind::kText), text_(text) {}
  constexpr FormatArg(const wchar_t* text) : kind_(Kind::kWideText), wide_(text) {}
  constexpr FormatArg(int value) : kind_(Kind::kInteger), integer_(value), negative_(value < 0) {}
  constexpr FormatArg(long value) : kind_(Kind::kInteger), integer_(value), negative_(value < 0) {}
  constexpr FormatArg(long long value)
      : kind_(Kind::kInteger),
        integer_(static_cast<unsigned long long>(value)),
        negative_(value < 0) {}
  constexpr FormatArg(unsigned value) : kind_(Kind::kInteger), integer_(value) {}
  constexpr FormatArg(unsigned long value) : kind_(Kind::kInteger), integer_(value) {}
  constexpr FormatArg(unsigned long long value) : kind_(Kind::kInteger), integer_(value) {}

  constexpr Kind kind() const { return kind_; }
  constexpr const char* text() const { return text_; }
  constexpr const wchar_t* wide() const { return wide_; }
  // The value's bits; negative() says whether it came from a negative signed value.
  constexpr unsigned long long integer() const { return integer_; }
  constexpr bool negative() const { return negative_; }

 private:
  Kind kind_;
  union {
    const char* text_;
    const wchar_t* wide_;
    unsigned long long integer_;
  };
  bool negative_ = false;
};

// Formats into dst (capacity in characters, terminator included) and returns the length written.
// A capacity of 0 writes nothing; a null dst writes nothing.
std::size_t FormatInto(char* dst, std::size_t capacity, const char* format,
                       std::initializer_list<FormatArg> args);
std::size_t FormatInto(wchar_t* dst, std::size_t capacity, const wchar_t* format,
                       std::initializer_list<FormatArg> args);

template <typename CharT, typename... Args>
std::size_t Format(CharT* dst, std::size_t capacity, const CharT* format, const Args&... args) {
  return FormatInto(dst, capacity, format, {FormatArg(args)...});
}

template <typename CharT, std::size_t N, typename... Args>
std::size_t Format(CharT (&dst)[N], const CharT* format, const Args&... args) {
  return FormatInto(dst, N, format, {FormatArg(args)...});
}

// Bounded copy of a whole text: the same formatter with "%s".
inline std::size_t CopyText(char* dst, std::size_t capacity, const char* text) {
  return FormatInto(dst, capacity, "%s", {FormatArg(text)});
}
template <std::size_t N>
std::size_t CopyText(char (&dst)[N], const char* text) {
  return CopyText(dst, N, text);
}

}  // namespace ormix
