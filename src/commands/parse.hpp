// The parse command: prints each file's document model without running lint rules.
#pragma once

#include "cli/args.hpp"
#include "commands/command.hpp"

namespace tovik::commands {

CommandResult parse_command(const cli::ParseArgs& args);

}  // namespace tovik::commands
