// Telling the user, after the application ended with a non-zero code, what most likely went wrong.
#pragma once

#include <cstdint>

namespace ormix {

// Reads the log's last line (when there is a log), composes the report and shows it through
// ShowFatalMessage. log_path is empty when the run had no launch log.
void ReportChildFailure(const char* display_name, std::uint32_t exit_code, std::uint64_t elapsed_ms,
                        const char* log_path, const char* header_line);

}  // namespace ormix
