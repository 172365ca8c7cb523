// Handlers of commands this build does not have yet: they fail honestly.
#pragma once

#include <string_view>

#include "commands/command.hpp"

namespace tovik::commands {

CommandResult unavailable_command(std::string_view name);

}  // namespace tovik::commands
