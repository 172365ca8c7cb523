// What a command handler returns: an exit code, or one error message for the entry point to print.
#pragma once

#include <string>
#include <variant>

namespace tovik::commands {

struct CommandError {
  std::string message;
};

using CommandResult = std::variant<int, CommandError>;

// Reads the process working directory as an absolute, normalised path.
std::variant<std::string, CommandError> current_directory();

}  // namespace tovik::commands
