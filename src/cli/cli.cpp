// The argument grammar. The only place that knows the command-line parsing library.
#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/args.hpp"

namespace tovik::cli {

namespace {

constexpr const char* kAbout =
    "A Markdown convention and linter for project docs written by AI and read by humans and agents";
constexpr const char* kVersion = "tovik 0.4.0 (Tovik Convention 0.2.0)";

void add_selection(CLI::App& app, SelectionArgs& selection, std::vector<std::string>& select_values) {
  app.add_flag("--preview", selection.preview, "Enable selected preview rules");
  app.add_option("--select", select_values,
                 "Replace configured selectors; use comma-separated codes or families")
      ->type_name("SELECT")
      ->delimiter(',')
      ->allow_extra_args(false);
  app.add_option("--extend-select", selection.extend_select,
                 "Add comma-separated codes or families to the configured selection")
      ->type_name("EXTEND_SELECT")
      ->delimiter(',')
      ->allow_extra_args(false);
}

// Applies the value of --select only when it was given at all.
void finish_selection(CLI::App& app, SelectionArgs& selection, std::vector<std::string>& select_values) {
  if (app.count("--select") > 0) selection.select = select_values;
}

template <typename Enum>
CLI::Option* add_format(CLI::App& app, Enum& target, const std::vector<std::pair<std::string, Enum>>& values,
                        const std::string& help) {
  std::vector<std::string> names;
  for (const auto& [name, value] : values) names.push_back(name);
  auto* opt = app.add_option_function<std::string>(
      "--output-format",
      [&target, values](const std::string& text) {
        for (const auto& [name, value] : values) {
          if (name == text) target = value;
        }
      },
      help);
  opt->type_name("OUTPUT_FORMAT")->default_str(values.front().first)->check(CLI::IsMember(names));
  return opt;
}

}  // namespace

ParseOutcome parse_command_line(int argc, const char* const* argv) {
  CLI::App app{kAbout, "tovik"};
  app.set_version_flag("-V,--version", kVersion);
  app.require_subcommand(1);

  CheckArgs check;
  PolicyArgs policy;
  IndexArgs index;
  RuleArgs rule;
  ClaudeCodeArgs claude;
  ParseArgs parse;
  std::vector<std::string> check_select, policy_select, claude_select;

  auto* check_cmd = app.add_subcommand("check", "Check Markdown and report documentation diagnostics");
  check_cmd->add_option("PATHS", check.paths, "Files or directories to check; defaults to the workspace")
      ->type_name("PATHS");
  check_cmd->add_option("--config", check.config, "Use this configuration for every selected file")
      ->type_name("PATH");
  add_selection(*check_cmd, check.selection, check_select);
  add_format<OutputFormat>(*check_cmd, check.output_format,
                           {{"text", OutputFormat::text},
                            {"concise", OutputFormat::concise},
                            {"json", OutputFormat::json},
                            {"sarif", OutputFormat::sarif},
                            {"github", OutputFormat::github}},
                           "Diagnostic output format");
  auto* stdin_opt =
      check_cmd
          ->add_option("--stdin-filename", check.stdin_filename,
                       "Read stdin in place of this workspace file without writing to disk; excludes --fix")
          ->type_name("STDIN_FILENAME");
  check_cmd->add_flag("--exit-zero", check.exit_zero,
                      "Return success for violations; incomplete checks still return 2");
  check_cmd->add_flag("--no-cache", check.no_cache,
                      "Read required source files without reading or writing the parse cache");
  auto* fix_opt = check_cmd->add_flag("--fix", check.fix, "Apply verified safe fixes to reported files");
  fix_opt->excludes(stdin_opt);
  check_cmd->add_flag("--statistics", check.statistics,
                      "Count reported diagnostics and include suppression reasons and states");

  auto* policy_cmd = app.add_subcommand("policy", "Print the effective file policies as deterministic JSON");
  policy_cmd->add_flag("--evaluate", policy.evaluate, "Run rules to calculate active and unused suppression states");
  policy_cmd->add_option("--config", policy.config, "Use this configuration for every file")->type_name("PATH");
  add_selection(*policy_cmd, policy.selection, policy_select);

  auto* index_cmd =
      app.add_subcommand("index", "Inspect headings, links, and file roles in the current workspace index");
  index_cmd->add_flag("--dump", index.dump, "Print the current workspace index as JSON");
  index_cmd->add_option("--config", index.config)->type_name("PATH");
  index_cmd->add_flag("--no-cache", index.no_cache);

  auto* rule_cmd = app.add_subcommand("rule", "Print a rule's explanation and examples");
  auto* code_opt = rule_cmd->add_option("CODE", rule.code)->type_name("CODE");
  auto* all_opt = rule_cmd->add_flag("--all", rule.all, "Print documentation for every implemented rule");
  code_opt->excludes(all_opt);
  rule_cmd->require_option(1);

  auto* init_cmd = app.add_subcommand(
      "init", "Create a repository-root configuration with suggested exclusions and kind mappings");

  auto* hook_cmd = app.add_subcommand("hook", "Adapt editor events to Markdown checks");
  hook_cmd->require_subcommand(1);
  auto* claude_cmd = hook_cmd->add_subcommand("claude-code", "Read a Claude Code PostToolUse event from stdin");
  claude_cmd->add_option("--config", claude.config)->type_name("PATH");
  add_selection(*claude_cmd, claude.selection, claude_select);

  auto* parse_cmd =
      app.add_subcommand("parse", "Parse Markdown into the tovik document model (does not run lint rules)");
  parse_cmd->add_option("PATHS", parse.paths, "Files or directories to inspect; defaults to the workspace")
      ->type_name("PATHS");
  parse_cmd->add_option("--config", parse.config, "Use this configuration for every selected file")
      ->type_name("PATH");
  add_format<ParseFormat>(*parse_cmd, parse.output_format,
                          {{"text", ParseFormat::text}, {"json", ParseFormat::json}},
                          "Output format. JSON contains the document model and heuristic section annotations");
  parse_cmd
      ->add_option("--stdin-filename", parse.stdin_filename,
                   "Read stdin in place of this workspace file; never writes to disk")
      ->type_name("STDIN_FILENAME");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    int code = app.exit(e, std::cout, std::cerr);
    // Help and version succeed; every usage error exits with 2 whatever the parser's own code.
    return code == 0 ? 0 : 2;
  }

  if (check_cmd->parsed()) {
    finish_selection(*check_cmd, check.selection, check_select);
    return Command{std::move(check)};
  }
  if (policy_cmd->parsed()) {
    finish_selection(*policy_cmd, policy.selection, policy_select);
    return Command{std::move(policy)};
  }
  if (index_cmd->parsed()) return Command{std::move(index)};
  if (rule_cmd->parsed()) return Command{std::move(rule)};
  if (init_cmd->parsed()) return Command{InitArgs{}};
  if (claude_cmd->parsed()) {
    finish_selection(*claude_cmd, claude.selection, claude_select);
    return Command{std::move(claude)};
  }
  return Command{std::move(parse)};
}

}  // namespace tovik::cli
