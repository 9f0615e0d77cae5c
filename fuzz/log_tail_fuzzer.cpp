// The launch log after a failed run: whatever the application wrote, read back for the report.
// The input is the whole log; its first line stands for the launcher's header line.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view log(reinterpret_cast<const char*>(data), size);
  // A C string, as the launcher hands it over: up to the first line feed or zero byte.
  const std::string header(log.substr(0, log.find_first_of(std::string_view("\n\0", 2))));
  const std::string_view window =
      log.substr(size > ormix::kLogTailWindow ? size - ormix::kLogTailWindow : 0);

  ormix::fuzz::Output line(ormix::kLogLineCapacity);
  ormix::FindLastLogLine(window, header.c_str(), line.data(), line.capacity());
  Require(line.Terminated(), "the line is terminated within its 301 bytes");
  const std::string_view found = line.text();
  Require(found.size() <= ormix::kLogLineCap, "the line is at most 300 bytes");
  Require(window.find(found) != std::string_view::npos, "the line is a piece of the window");
  Require(found.find('\n') == std::string_view::npos, "the line is one line");
  if (!found.empty()) {
    Require(!IsBlank(found.front()), "the line is trimmed at its start");
    // A zero byte ends a line's text, so what stood before it may end in white space.
    Require(!IsBlank(found.back()) || found.size() == ormix::kLogLineCap ||
                window.find(std::string(found) + '\0') != std::string_view::npos,
            "the line is trimmed at its end, unless the cap or a zero byte cut it");
    Require(found != TrimmedHeader(header), "the line is never the header line");
  }

  // A smaller output gets the same line, cut.
  const std::size_t small = 1 + (size > 0 ? data[size - 1] : 0) % ormix::kLogLineCapacity;
  ormix::fuzz::Output cut(small);
  ormix::FindLastLogLine(window, header.c_str(), cut.data(), cut.capacity());
  Require(cut.Terminated(), "a cut line is terminated within its capacity");
  Require(cut.text() == found.substr(0, small - 1), "a smaller output gets the line cut");

  // The file reader looks at the last 8192 bytes and nothing else.
  const std::string path = ormix::fuzz::ScratchFolder() + "/launch.log";
  ormix::fuzz::WriteBytes(path, log);
  ormix::fuzz::Output read(ormix::kLogLineCapacity);
  Require(ormix::ReadLastLogLine(path.c_str(), header.c_str(), read.data(), read.capacity()) == 0,
          "a log that exists is read");
  Require(read.Terminated() && read.text() == found, "reading the file finds the same line");
  return 0;
}
