// The failure report's words, composed from an exit code, a run time, the log's path and the
// log's last line, which the application chose. None of them may act as a format, and the text
// is cut, never overrun, at any capacity.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/utf8.h"
#include "diagnostics/failure_text.h"
#include "fuzz_support.h"

using ormix::fuzz::Require;

namespace {

// The codes whose detail does not come from the log; drawn often, so that both kinds are seen.
constexpr std::uint32_t kTableCodes[] = {0xC0000005u, 0xC0000374u, 0xC0000409u, 0xC0000022u,
                                         0xC000007Bu, 0xC0000135u, 0xC0000142u};

bool EndsWith(std::string_view text, std::string_view ending) {
  return text.size() >= ending.size() && text.substr(text.size() - ending.size()) == ending;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::uint32_t code = input.ConsumeBool() ? input.PickValueInArray(kTableCodes)
                                                 : input.ConsumeIntegral<std::uint32_t>();
  const std::uint64_t elapsed = input.ConsumeIntegral<std::uint64_t>();
  const std::size_t capacity = input.ConsumeIntegralInRange<std::size_t>(1, 5000);
  // C strings, as the launcher passes them: each ends at its first zero byte.
  const std::string name = input.ConsumeRandomLengthString(300).c_str();
  const std::string email = input.ConsumeRandomLengthString(100).c_str();
  const std::string log_path = input.ConsumeRandomLengthString(5000).c_str();
  const std::string last_line = input.ConsumeRemainingBytesAsString().c_str();

  ormix::fuzz::Output whole(ormix::kFailureTextCapacity);
  ormix::ComposeFailureText(name.c_str(), code, elapsed, log_path.c_str(), last_line.c_str(),
                            email.c_str(), whole.data(), whole.capacity());
  Require(whole.Terminated(), "the report is terminated within its 4096 bytes");
  ormix::fuzz::Output cut(capacity);
  ormix::ComposeFailureText(name.c_str(), code, elapsed, log_path.c_str(), last_line.c_str(),
                            email.c_str(), cut.data(), cut.capacity());
  Require(cut.Terminated(), "the report is terminated within its capacity");
  const std::string_view text = whole.text();
  const std::string_view shorter = cut.text().size() < text.size() ? cut.text() : text;
  const std::string_view longer = cut.text().size() < text.size() ? text : cut.text();
  Require(longer.substr(0, shorter.size()) == shorter, "a smaller buffer gets the report cut");

  // Texts in UTF-8 give a report in UTF-8 at any capacity: the box must be able to show it.
  if (ormix::IsValidUtf8(name) && ormix::IsValidUtf8(email) && ormix::IsValidUtf8(log_path) &&
      ormix::IsValidUtf8(last_line)) {
    Require(ormix::IsValidUtf8(text) && ormix::IsValidUtf8(cut.text()),
            "the report of UTF-8 texts is UTF-8, whole or cut");
  }

  // Whatever the texts hold, '%' included, they appear as they are.
  if (name.size() < 200) {
    const char* tail =
        elapsed < ormix::kStartFailureMillis ? " did not start.\n\n" : " stopped unexpectedly.\n\n";
    Require(text.substr(0, name.size() + std::string_view(tail).size()) == name + tail,
            "the headline names the program and the kind of failure");
  }
  bool in_table = false;
  for (std::uint32_t table_code : kTableCodes) in_table = in_table || table_code == code;
  if (!in_table && !last_line.empty() && last_line.size() < 800) {
    Require(text.find("\n\nPython reported: " + last_line) != std::string_view::npos,
            "the log's last line is reported as it is");
  }
  // Not cut: a cut keeps all but at most the three bytes of a character it would have split.
  if (text.size() + 3 < ormix::kFailureTextCapacity - 1) {
    Require(EndsWith(text, " " + email + "."), "the report ends with the support address");
    if (log_path.empty()) {
      Require(text.find("\n\nNo launch log could be written.") != std::string_view::npos,
              "a run without a log says so");
    } else {
      Require(text.find("\n\nWhat happened was written to:\n" + log_path + "\n\n") !=
                  std::string_view::npos,
              "the report names the log");
    }
  }
  return 0;
}
