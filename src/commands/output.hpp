// Writing a command's report to standard output and side messages to standard error.
#pragma once

#include <string>

namespace tovik::commands {

// Writes all of `text`; on failure returns false with the system's description in `error`.
bool write_stdout(const std::string& text, std::string& error);
void print_stderr(const std::string& text);

}  // namespace tovik::commands
