// Entry point: parse the command line, run one command, turn its outcome into the exit status.
#include <variant>

#include "cli/args.hpp"
#include "commands/check.hpp"
#include "commands/parse.hpp"
#include "commands/print_error.hpp"
#include "commands/unavailable.hpp"

namespace {

using namespace tovik;

commands::CommandResult dispatch(const cli::Command& command) {
  struct Visitor {
    commands::CommandResult operator()(const cli::CheckArgs& args) { return commands::check_command(args); }
    commands::CommandResult operator()(const cli::PolicyArgs&) { return commands::unavailable_command("policy"); }
    commands::CommandResult operator()(const cli::IndexArgs&) { return commands::unavailable_command("index"); }
    commands::CommandResult operator()(const cli::RuleArgs&) { return commands::unavailable_command("rule"); }
    commands::CommandResult operator()(const cli::InitArgs&) { return commands::unavailable_command("init"); }
    commands::CommandResult operator()(const cli::ClaudeCodeArgs&) {
      return commands::unavailable_command("hook claude-code");
    }
    commands::CommandResult operator()(const cli::ParseArgs& args) { return commands::parse_command(args); }
  };
  return std::visit(Visitor{}, command);
}

}  // namespace

int main(int argc, char** argv) {
  auto outcome = cli::parse_command_line(argc, argv);
  if (auto* code = std::get_if<int>(&outcome)) return *code;
  auto result = dispatch(std::get<cli::Command>(outcome));
  if (auto* code = std::get_if<int>(&result)) return *code;
  commands::print_command_error(std::get<commands::CommandError>(result).message);
  return 2;
}
