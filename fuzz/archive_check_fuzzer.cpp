// The launcher's own path, wherever the user's archive tool or download put it, held against the
// three folder forms written as regular expressions; then the message that names its file.
#include <cstddef>
#include <cstdint>
#include <regex>
#include <string>
#include <string_view>

#include "common/ascii.h"
#include "common/utf8.h"
#include "diagnostics/archive_check.h"
#include "fuzz_support.h"

using ormix::fuzz::Require;

namespace {

bool HasArchiveForm(const std::string& component) {
  // [\s\S] is any byte, line breaks included.
  static const std::regex kForms[] = {
      std::regex("[Tt][Ee][Mm][Pp][0-9]+_[\\s\\S]*\\.[Zz][Ii][Pp]"),
      std::regex("7[Zz][Oo][A-Za-z0-9]+"),
      std::regex("[Rr][Aa][Rr]\\$[\\s\\S]*"),
  };
  if (component.empty() || component.size() > 511)
    return false;
  for (const std::regex& form : kForms) {
    if (std::regex_match(component, form))
      return true;
  }
  return false;
}

// Whether a directory component (any text that ends at a separator) has an archive form.
int ExpectedResult(std::string_view path) {
  std::size_t from = 0;
  for (std::size_t cut = path.find_first_of("\\/"); cut != std::string_view::npos;
       cut = path.find_first_of("\\/", from)) {
    if (HasArchiveForm(std::string(path.substr(from, cut - from))))
      return 1;
    from = cut + 1;
  }
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A C string, as the launcher holds its own path.
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string path(bytes.substr(0, bytes.find('\0')));
  const int result = ormix::IsArchiveTempPath(path.c_str());
  Require(result == ExpectedResult(path), "the result is whether a folder has an archive form");

  // The message names the launcher's file, as the start-up sequence takes it from the path.
  const std::string file_name(ormix::FileNameOf(path));
  const std::size_t capacity = 1 + (size > 0 ? data[0] : 0) * 8;
  ormix::fuzz::Output message(capacity);
  ormix::FormatArchiveMessage("Ormix Converter", file_name.c_str(), message.data(), capacity);
  Require(message.Terminated(), "the message is terminated within its capacity");
  ormix::fuzz::Output whole(8192);
  ormix::FormatArchiveMessage("Ormix Converter", file_name.c_str(), whole.data(), 8192);
  Require(whole.text().find("Then open " + file_name + " in the extracted folder.") !=
              std::string_view::npos,
          "the message names the launcher's file");
  // Cut at the capacity, or up to three bytes before it where the cut would split a character.
  const std::string_view full = whole.text();
  const std::size_t kept =
      full.size() < capacity ? full.size() : ormix::Utf8CutLength(full, capacity - 1);
  Require(message.text() == full.substr(0, kept), "a smaller buffer gets the message cut");
  return 0;
}
