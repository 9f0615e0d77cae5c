#include "diagnostics/failure_text.h"

#include <cstring>
#include <string_view>

#include "common/text_format.h"

namespace ormix {
namespace {

constexpr const char kMemoryFault[] =
    "It crashed inside a component (a memory fault), not in its own code.";

struct ExitCodeDetail {
  std::uint32_t code;
  const char* detail;
};

// Codes whose meaning is plainer than any log line; for them the log's last line is not used.
constexpr ExitCodeDetail kExitCodeDetails[] = {
    {0xC0000005u, kMemoryFault},  // STATUS_ACCESS_VIOLATION
    {0xC0000374u, kMemoryFault},  // STATUS_HEAP_CORRUPTION
    {0xC0000409u, kMemoryFault},  // STATUS_STACK_BUFFER_OVERRUN
    {0xC0000022u,                 // STATUS_ACCESS_DENIED
     "Windows refused to run its files. Antivirus, application control or a folder permission "
     "is blocking it. Try extracting it to a folder of your own, such as Documents, and check "
     "the antivirus quarantine."},
    {0xC000007Bu,  // STATUS_INVALID_IMAGE_FORMAT; the one detail with a conversion
     "A file in its folder is damaged, or is the wrong kind for this computer (%s needs 64-bit "
     "Windows). Download and extract it again."},
    {0xC0000135u,  // STATUS_DLL_NOT_FOUND
     "A file it needs is missing (Windows reported that a DLL could not be found). If this is a "
     "portable copy, extract the whole zip again, keeping every file together, and check whether "
     "antivirus quarantined a file from its folder."},
    {0xC0000142u,  // STATUS_DLL_INIT_FAILED
     "A file it needs could not be started (a DLL failed to initialise). Sign out of Windows and "
     "back in, or restart the computer, then try again."},
};

constexpr const char kLineDetail[] = "Python reported: %s%s";

constexpr const char kPermissionHint[] =
    " It is not allowed to write where it is. Move the folder somewhere you own, such as "
    "Documents, or run it from a different drive.";

struct LineHint {
  const char* search;
  const char* hint;
};

// Searched in this order; the first text found in the line gives the hint.
constexpr LineHint kLineHints[] = {
    {"No module named",
     " Part of the program is missing: this copy is incomplete, or its files are mixed with "
     "another version's. Extract the whole zip again into an empty folder."},
    {"DLL load failed",
     " A component could not be loaded. Check the antivirus quarantine, and extract the whole "
     "zip again, keeping every file together."},
    {"PermissionError", kPermissionHint},
    {"Permission denied", kPermissionHint},
};

constexpr std::size_t LongestHint() {
  std::size_t longest = 0;
  for (const LineHint& entry : kLineHints) {
    std::size_t length = std::string_view(entry.hint).size();
    longest = length > longest ? length : longest;
  }
  return longest;
}

// The decoded last line with any hint is never cut short.
static_assert(sizeof kLineDetail - 5 + kDecodedLogLineCapacity - 1 + LongestHint() <
                  kDetailCapacity,
              "the detail paragraph holds the longest line and hint");

}  // namespace

const char* DetailForExitCode(std::uint32_t exit_code) {
  for (const ExitCodeDetail& entry : kExitCodeDetails) {
    if (entry.code == exit_code)
      return entry.detail;
  }
  return nullptr;
}

const char* HintForLogLine(const char* line) {
  for (const LineHint& entry : kLineHints) {
    if (std::strstr(line, entry.search) != nullptr)
      return entry.hint;
  }
  return "";
}

void ComposeFailureText(const char* display_name, std::uint32_t exit_code, std::uint64_t elapsed_ms,
                        const char* log_path, const char* last_line, const char* support_email,
                        char* out, std::size_t capacity) {
  if (log_path == nullptr)
    log_path = "";
  if (last_line == nullptr)
    last_line = "";

  char headline[kHeadlineCapacity];
  Format(headline,
         elapsed_ms < kStartFailureMillis ? "%s did not start." : "%s stopped unexpectedly.",
         display_name);

  char detail[kDetailCapacity];
  if (const char* known = DetailForExitCode(exit_code)) {
    Format(detail, known, display_name);
  } else if (last_line[0] != '\0') {
    Format(detail, kLineDetail, last_line, HintForLogLine(last_line));
  } else {
    Format(detail, "It exited with code %lu and left no message.", exit_code);
  }

  if (log_path[0] != '\0') {
    Format(out, capacity,
           "%s\n\n%s\n\nWhat happened was written to:\n%s\n\nIf it keeps happening, send that file "
           "to %s.",
           headline, detail, log_path, support_email);
  } else {
    Format(out, capacity,
           "%s\n\n%s\n\nNo launch log could be written. If it keeps happening, write to %s.",
           headline, detail, support_email);
  }
}

}  // namespace ormix
