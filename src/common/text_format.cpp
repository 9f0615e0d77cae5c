// The bounded formatter. Kept free of the C runtime's printf so that the launcher stays small and
// behaves the same in the Windows build and the native sanitizer build.
#include "common/text_format.h"

#include <string_view>

#include "common/utf8.h"

namespace ormix {
namespace {

template <typename CharT>
class BoundedWriter {
 public:
  BoundedWriter(CharT* dst, std::size_t capacity) : dst_(dst), capacity_(capacity) {}

  void Put(CharT c) {
    if (length_ + 1 < capacity_) {
      dst_[length_++] = c;
    } else {
      cut_ = true;
    }
  }

  template <typename SourceChar>
  void PutText(const SourceChar* text, std::size_t limit) {
    if (text == nullptr)
      return;
    for (std::size_t i = 0; i < limit && text[i] != 0; ++i) Put(static_cast<CharT>(text[i]));
  }

  void PutInteger(unsigned long long magnitude, bool negative) {
    CharT digits[24];
    std::size_t n = 0;
    do {
      digits[n++] = static_cast<CharT>('0' + magnitude % 10);
      magnitude /= 10;
    } while (magnitude != 0);
    if (negative)
      Put('-');
    while (n > 0) Put(digits[--n]);
  }

  std::size_t Finish() {
    // Narrow text is UTF-8: a cut that left the first bytes of a character behind would make
    // the whole text invalid, and its wide form (a message box, a path) could not be made.
    if constexpr (sizeof(CharT) == 1) {
      if (cut_)
        length_ = Utf8CutLength(std::string_view(dst_, length_), length_);
    }
    dst_[length_] = 0;
    return length_;
  }

 private:
  CharT* dst_;
  std::size_t capacity_;
  std::size_t length_ = 0;
  bool cut_ = false;
};

template <typename CharT>
bool IsOwnText(const FormatArg& arg) {
  if constexpr (sizeof(CharT) == 1) {
    return arg.kind() == FormatArg::Kind::kText;
  } else {
    return arg.kind() == FormatArg::Kind::kWideText;
  }
}

template <typename CharT>
void PutOwnText(BoundedWriter<CharT>& out, const FormatArg& arg, std::size_t limit) {
  if constexpr (sizeof(CharT) == 1) {
    out.PutText(arg.text(), limit);
  } else {
    out.PutText(arg.wide(), limit);
  }
}

template <typename CharT>
std::size_t FormatImpl(CharT* dst, std::size_t capacity, const CharT* format,
                       std::initializer_list<FormatArg> args) {
  if (dst == nullptr || capacity == 0)
    return 0;
  BoundedWriter<CharT> out(dst, capacity);
  if (format == nullptr)
    return out.Finish();

  const FormatArg* next = args.begin();
  const FormatArg* const end = args.end();
  auto take = [&]() -> const FormatArg* { return next != end ? next++ : nullptr; };
  constexpr std::size_t kWhole = static_cast<std::size_t>(-1);

  for (const CharT* p = format; *p != 0; ++p) {
    if (*p != '%') {
      out.Put(*p);
      continue;
    }
    const CharT* directive = p;
    ++p;
    if (*p == '%') {
      out.Put('%');
      continue;
    }
    if (p[0] == '.' && p[1] == '*' && p[2] == 's') {
      p += 2;
      const FormatArg* precision = take();
      const FormatArg* text = take();
      if (precision == nullptr || precision->kind() != FormatArg::Kind::kInteger)
        continue;
      if (text == nullptr || !IsOwnText<CharT>(*text))
        continue;
      // A negative precision means "the whole text", as in printf.
      std::size_t limit = precision->negative() ? kWhole : precision->integer();
      PutOwnText(out, *text, limit);
      continue;
    }
    if (*p == 's') {
      const FormatArg* text = take();
      if (text != nullptr && IsOwnText<CharT>(*text))
        PutOwnText(out, *text, kWhole);
      continue;
    }
    bool is_signed = false;
    if (*p == 'd') {
      is_signed = true;
    } else if (*p == 'u') {
    } else if (p[0] == 'l' && p[1] == 'u') {
      p += 1;
    } else if (p[0] == 'l' && p[1] == 'l' && p[2] == 'u') {
      p += 2;
    } else {
      // Not a directive of ours: write it as it stands rather than guess.
      out.Put(*directive);
      p = directive;
      continue;
    }
    const FormatArg* value = take();
    if (value == nullptr || value->kind() != FormatArg::Kind::kInteger)
      continue;
    if (is_signed && value->negative()) {
      out.PutInteger(0 - value->integer(), true);
    } else {
      out.PutInteger(value->integer(), false);
    }
  }
  return out.Finish();
}

}  // namespace

std::size_t FormatInto(char* dst, std::size_t capacity, const char* format,
                       std::initializer_list<FormatArg> args) {
  return FormatImpl(dst, capacity, format, args);
}

std::size_t FormatInto(wchar_t* dst, std::size_t capacity, const wchar_t* format,
                       std::initializer_list<FormatArg> args) {
  return FormatImpl(dst, capacity, format, args);
}

}  // namespace ormix
