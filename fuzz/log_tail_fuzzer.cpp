// The launch log after a failed run: whatever the application wrote, read back for the report.
// The input is the whole log; its first line stands for the launcher's header line.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/utf8.h"
#include "diagnostics/log_tail.h"
#include "fuzz_support.h"

using ormix::fuzz::Require;

namespace {

bool IsBlank(char c) {
  return ormix::IsLogSpace(static_cast<unsigned char>(c));
}

// The header as the reader compares lines with it: trimmed, then its first 300 bytes.
std::string TrimmedHeader(std::string_view header) {
  while (!header.empty() && IsBlank(header.front())) header.remove_prefix(1);
  while (!header.empty() && IsBlank(header.back())) header.remove_suffix(1);
  return std::string(header.substr(0, ormix::kLogLineCap));
}

// A stand-in for a single-byte ANSI code page (ISO 8859-1) that gives up on the byte 0x9F, so
// that both the decoder and the reader's own fallback are exercised.
int DecodeLatin1(std::string_view bytes, std::size_t limit, char* out, std::size_t capacity) {
  std::string text;
  for (std::size_t i = 0; i < bytes.size() && i < limit; ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c == 0x9F)
      return -1;
    if (c < 0x80) {
      text.push_back(static_cast<char>(c));
    } else {
      text.push_back(static_cast<char>(0xC0 | (c >> 6)));
      text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  text.resize(ormix::Utf8CutLength(text, capacity - 1));
  text.copy(out, text.size());
  out[text.size()] = '\0';
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view log(reinterpret_cast<const char*>(data), size);
  // A C string, as the launcher hands it over: up to the first line feed or zero byte.
  const std::string header(log.substr(0, log.find_first_of(std::string_view("\n\0", 2))));
  const std::string_view window =
      log.substr(size > ormix::kLogTailWindow ? size - ormix::kLogTailWindow : 0);

  const std::string_view found = ormix::FindLastLogLine(window, header.c_str());
  if (!found.empty()) {
    Require(found.data() >= window.data() &&
                found.data() + found.size() <= window.data() + window.size(),
            "the line is a piece of the window");
    Require(found.find('\n') == std::string_view::npos, "the line is one line");
    Require(found.find('\0') == std::string_view::npos, "a zero byte ends the line's text");
    Require(!IsBlank(found.front()), "the line is trimmed at its start");
    // A zero byte ends a line's text, so what stood before it may end in white space.
    const bool cut_by_zero = found.data() + found.size() < window.data() + window.size() &&
                             found.data()[found.size()] == '\0';
    Require(!IsBlank(found.back()) || cut_by_zero,
            "the line is trimmed at its end, unless a zero byte cut it");
    Require(found.substr(0, ormix::kLogLineCap) != TrimmedHeader(header),
            "the line is never the header line");
  }

  // What the report shows: always UTF-8, at most the line's first 300 bytes decoded, within any
  // capacity; UTF-8 lines as they are.
  const std::size_t small = 1 + (size > 0 ? data[size - 1] : 0) % ormix::kDecodedLogLineCapacity;
  for (ormix::AnsiDecoder decoder :
       {static_cast<ormix::AnsiDecoder>(DecodeLatin1), static_cast<ormix::AnsiDecoder>(nullptr)}) {
    ormix::fuzz::Output shown(ormix::kDecodedLogLineCapacity);
    ormix::DecodeLogLine(found, decoder, shown.data(), shown.capacity());
    Require(shown.Terminated(), "the shown line is terminated within its capacity");
    Require(ormix::IsValidUtf8(shown.text()), "what the report shows is always valid UTF-8");
    if (ormix::IsValidUtf8(found)) {
      Require(shown.text() == found.substr(0, ormix::Utf8CutLength(found, ormix::kLogLineCap)),
              "a UTF-8 line is shown as it is, cut at a character within 300 bytes");
    }
    ormix::fuzz::Output cut(small);
    ormix::DecodeLogLine(found, decoder, cut.data(), cut.capacity());
    Require(cut.Terminated() && ormix::IsValidUtf8(cut.text()),
            "a smaller output is terminated and valid UTF-8");
    Require(shown.text().substr(0, cut.text().size()) == cut.text(),
            "a smaller output gets the same text, cut");
  }

  // The file reader looks at the last 8192 bytes and nothing else.
  const std::string path = ormix::fuzz::ScratchFolder() + "/launch.log";
  ormix::fuzz::WriteBytes(path, log);
  ormix::fuzz::Output read(ormix::kDecodedLogLineCapacity);
  Require(ormix::ReadLastLogLine(path.c_str(), header.c_str(), read.data(), read.capacity(),
                                 DecodeLatin1) == 0,
          "a log that exists is read");
  Require(read.Terminated() && ormix::IsValidUtf8(read.text()), "the read line is valid UTF-8");
  if (size <= ormix::kLogTailWindow) {
    ormix::fuzz::Output same(ormix::kDecodedLogLineCapacity);
    ormix::DecodeLogLine(found, DecodeLatin1, same.data(), same.capacity());
    Require(read.text() == same.text(), "reading the file finds the same line");
  }
  return 0;
}
