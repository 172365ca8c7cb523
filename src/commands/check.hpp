// The check command: one or more analysis passes, rendering, side messages and the exit code.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/args.hpp"
#include "commands/command.hpp"
#include "diagnostics/diagnostic.hpp"
#include "support/result.hpp"

namespace tovik::commands {

struct IncompleteReason {
  std::string path;  // display path, or "." for the whole workspace
  std::string message;
  auto operator<=>(const IncompleteReason&) const = default;
};

struct Notice {
  std::string path;  // display path, or "." for the whole workspace
  std::string message;
  bool operator==(const Notice&) const = default;
};

struct StdinInput {
  std::string filename;
  std::string text;
};

struct CheckRequest {
  std::string current_dir;
  std::vector<std::string> paths;
  std::optional<std::string> config;
  bool preview = false;
  std::optional<std::vector<std::string>> select;
  std::vector<std::string> extend_select;
  std::optional<StdinInput> stdin_input;
  bool no_cache = false;
};

struct CheckInput {
  std::string display_path;
  std::string file_path;
  std::string source;
  std::size_t enabled_rule_count = 0;
  bool selected = false;
  bool operator==(const CheckInput&) const = default;
};

struct CheckReport {
  std::string workspace_root;
  std::vector<CheckInput> inputs;
  std::vector<IncompleteReason> incomplete_reasons;
  std::vector<Notice> notices;
  std::vector<std::string> selected_files;
  // Whether any file's policy has preview rules on.
  bool any_preview = false;
  std::vector<diagnostics::Diagnostic> diagnostics;
};

// One complete analysis pass.
Result<CheckReport> run_check(const CheckRequest& request);

// Renders the report in `format`.
Result<std::string> render(const CheckReport& report, cli::OutputFormat format);

// Sorts incomplete reasons by path then message and drops exact duplicates.
void normalize_incomplete(std::vector<IncompleteReason>& reasons);

CommandResult check_command(const cli::CheckArgs& args);

}  // namespace tovik::commands
