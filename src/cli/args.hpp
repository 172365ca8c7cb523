// The argument structures of every command, as the command-line parser fills them.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace tovik::cli {

enum class OutputFormat { text, concise, json, sarif, github };
enum class ParseFormat { text, json };

struct SelectionArgs {
  bool preview = false;
  // Absent when --select was not given: the configured selection is kept.
  std::optional<std::vector<std::string>> select;
  std::vector<std::string> extend_select;
};

struct CheckArgs {
  std::vector<std::string> paths;
  std::optional<std::string> config;
  SelectionArgs selection;
  OutputFormat output_format = OutputFormat::text;
  std::optional<std::string> stdin_filename;
  bool exit_zero = false;
  bool no_cache = false;
  bool fix = false;
  bool statistics = false;
};

struct PolicyArgs {
  bool evaluate = false;
  std::optional<std::string> config;
  SelectionArgs selection;
};

struct IndexArgs {
  bool dump = false;
  std::optional<std::string> config;
  bool no_cache = false;
};

struct RuleArgs {
  std::optional<std::string> code;
  bool all = false;
};

struct InitArgs {};

struct ClaudeCodeArgs {
  std::optional<std::string> config;
  SelectionArgs selection;
};

struct ParseArgs {
  std::vector<std::string> paths;
  std::optional<std::string> config;
  ParseFormat output_format = ParseFormat::text;
  std::optional<std::string> stdin_filename;
};

using Command = std::variant<CheckArgs, PolicyArgs, IndexArgs, RuleArgs, InitArgs, ClaudeCodeArgs, ParseArgs>;

// Either the command to run, or the exit code of a run that ended in the parser (help, version,
// usage error), whose output the parser has already printed.
using ParseOutcome = std::variant<Command, int>;

ParseOutcome parse_command_line(int argc, const char* const* argv);

}  // namespace tovik::cli
