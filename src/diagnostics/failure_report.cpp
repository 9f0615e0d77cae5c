#include "diagnostics/failure_report.h"

#include "common/fatal_message.h"
#include "common/product.h"
#include "common/wide_text.h"
#include "diagnostics/failure_text.h"
#include "diagnostics/log_tail.h"

namespace ormix {

void ReportChildFailure(const char* display_name, std::uint32_t exit_code, std::uint64_t elapsed_ms,
                        const char* log_path, const char* header_line) {
  char last_line[kDecodedLogLineCapacity] = {};
  if (log_path != nullptr && log_path[0] != '\0') {
    // A log that cannot be read leaves the line empty; the report still names the log.
    ReadLastLogLine(log_path, header_line, last_line, sizeof last_line, DecodeSystemAnsi);
  }
  static char text[kFailureTextCapacity];
  ComposeFailureText(display_name, exit_code, elapsed_ms, log_path, last_line, kSupportEmail, text,
                     sizeof text);
  ShowFatalMessage(text);
}

}  // namespace ormix
