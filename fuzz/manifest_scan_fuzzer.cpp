// The shared runtime's manifest, as any program could have written it: the textual scan for the
// "python" member, the series check, and the bounded read of the file's head.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "runtime/manifest_scan.h"

using ormix::fuzz::Require;

namespace {

constexpr std::string_view kKey = "\"python\"";

// Whether value stands in text right after a double quote that comes after the key, and ends
// where the scan must stop: at a quote, at the text's end, or at the 31-byte limit.
bool StandsAfterKey(std::string_view text, std::size_t key, std::string_view value) {
  for (std::size_t at = text.find(value, key + kKey.size()); at != std::string_view::npos;
       at = text.find(value, at + 1)) {
    if (text[at - 1] != '"')
      continue;
    std::size_t end = at + value.size();
    if (end == text.size() || text[end] == '"' || value.size() == ormix::kManifestValueCapacity - 1)
      return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  ormix::fuzz::Output value(ormix::kManifestValueCapacity);
  int result = ormix::ScanManifestPythonVersion(
      bytes, *reinterpret_cast<char(*)[ormix::kManifestValueCapacity]>(value.data()));
  Require(value.Terminated(), "the value is terminated within its 32 bytes");
  Require(result == 0 || result == -1, "the scan returns 0 or -1");
  Require((result == 0) == !value.text().empty(), "0 exactly when a value was copied");

  // The scanned text ends at its first zero byte.
  std::string_view text = bytes.substr(0, bytes.find('\0'));
  std::size_t key = text.find(kKey);
  if (result == 0) {
    Require(key != std::string_view::npos, "a value comes only with the key");
    Require(value.text().find('"') == std::string_view::npos, "a value holds no quote");
    Require(StandsAfterKey(text, key, value.text()), "the value is quoted text after the key");
  }

  int accepted = ormix::CheckRuntimeManifest(bytes);
  if (accepted == 0) {
    std::string_view v = value.text();
    Require(result == 0 && v.substr(0, 4) == "3.13" && (v.size() == 4 || v[4] == '.'),
            "only a value of the 3.13 series is accepted");
  }

  // The file reader sees only the first 511 bytes, whatever the file holds after them.
  const std::string path = ormix::fuzz::ScratchFolder() + "/harrowmere-runtime.json";
  ormix::fuzz::WriteBytes(path, bytes);
  char head[ormix::kManifestReadLimit + 1];
  int read = ormix::ReadManifestHead(path.c_str(), head);
  std::string_view first = bytes.substr(0, ormix::kManifestReadLimit);
  Require(read == (size == 0 ? -1 : 0), "every non-empty file is read");
  Require(std::string_view(head) == first.substr(0, first.find('\0')),
          "the head is the file's first 511 bytes, up to a zero byte");
  Require(ormix::CheckRuntimeManifest(head) == ormix::CheckRuntimeManifest(first),
          "judging the head is judging the first 511 bytes");
  return 0;
}
