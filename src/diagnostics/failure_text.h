// Composing the plain-words explanation of a failed run. Pure: no file, no box.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/limits.h"

namespace ormix {

inline constexpr std::uint64_t kStartFailureMillis = 60000;  // below: "did not start"

// The detail paragraph for an exit code that says more than any log line, or null.
const char* DetailForExitCode(std::uint32_t exit_code);

// The hint for a Python error in the last log line (space-led), or the empty string.
const char* HintForLogLine(const char* line);

// The whole report: headline, detail, where the log is (or that there is none), support address.
// last_line is the log's last line (may be empty); log_path is empty when there is no log.
void ComposeFailureText(const char* display_name, std::uint32_t exit_code, std::uint64_t elapsed_ms,
                        const char* log_path, const char* last_line, const char* support_email,
                        char* out, std::size_t capacity);

}  // namespace ormix
