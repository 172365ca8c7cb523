// Failure of a command whose handler this build does not include.
#include "commands/unavailable.hpp"

#include <string>

namespace tovik::commands {

CommandResult unavailable_command(std::string_view name) {
  return CommandError{"The " + std::string(name) + " command is not available in this build."};
}

}  // namespace tovik::commands
