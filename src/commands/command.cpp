// Helpers shared by command handlers.
#include "commands/command.hpp"

#include "paths/paths.hpp"

namespace tovik::commands {

std::variant<std::string, CommandError> current_directory() {
  auto cwd = paths::absolute(".");
  if (!cwd) return CommandError{"Cannot determine the current directory: " + cwd.error()};
  return *cwd;
}

}  // namespace tovik::commands
