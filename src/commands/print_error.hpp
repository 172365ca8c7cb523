// Prints a command's error message on standard error, one "tovik: " line per message line.
#pragma once

#include <string>
#include <string_view>

namespace tovik::commands {

// The lines as they are printed, without writing them: CR before LF removed, other CRs shown as
// "\r", and "##[" broken up so CI log readers do not take a line for a workflow command.
std::string format_command_error(std::string_view message);
void print_command_error(std::string_view message);

}  // namespace tovik::commands
