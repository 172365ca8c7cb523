// The check command and its analysis pass.
#include "commands/check.hpp"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <map>

#include "commands/output.hpp"
#include "commands/print_error.hpp"
#include "diagnostics/outputs/text.hpp"
#include "paths/paths.hpp"
#include "rules/kind_rules.hpp"
#include "rules/selector.hpp"
#include "commands/analysis.hpp"
#include "support/files.hpp"
#include "support/utf8.hpp"

namespace tovik::commands {

namespace {

// Stage 5 for one selected file: the per-file rules this build has.
void run_file_rules(const AnalyzedFile& file, std::vector<diagnostics::Diagnostic>& out) {
  auto enabled = [&](std::string_view code) {
    return std::find(file.enabled_rules.begin(), file.enabled_rules.end(), code) != file.enabled_rules.end();
  };
  if (auto d = rules::kind_diagnostic(file.kind, file.display_path, file.document->source); d && enabled(d->code)) {
    out.push_back(std::move(*d));
  }
}

}  // namespace

void normalize_incomplete(std::vector<IncompleteReason>& reasons) {
  std::sort(reasons.begin(), reasons.end());
  reasons.erase(std::unique(reasons.begin(), reasons.end()), reasons.end());
}

Result<CheckReport> run_check(const CheckRequest& request) {
  AnalysisRequest analysis_request;
  analysis_request.current_dir = request.current_dir;
  analysis_request.paths = request.paths;
  analysis_request.config = request.config;
  analysis_request.selection = {request.preview, request.select, request.extend_select};
  if (request.stdin_input) {
    analysis_request.stdin_file = workspace::StdinFile{request.stdin_input->filename, request.stdin_input->text};
  }
  analysis_request.no_cache = request.no_cache;
  analysis_request.mode = workspace::DiscoveryMode::check;
  auto analysis = analyze(analysis_request);
  if (!analysis) return Error{analysis.error()};

  CheckReport report;
  report.workspace_root = analysis->root;
  for (const auto& file : analysis->files) {
    report.inputs.push_back({file.display_path, file.path, file.document->source, file.enabled_rules.size(),
                             file.selected});
    if (file.preview) report.any_preview = true;
    if (!file.selected) continue;
    report.selected_files.push_back(file.display_path);
    run_file_rules(file, report.diagnostics);
  }
  for (auto& reason : analysis->incomplete_reasons) {
    report.incomplete_reasons.push_back({std::move(reason.path), std::move(reason.message)});
  }
  for (auto& note : analysis->notes) report.notices.push_back({std::move(note.path), std::move(note.message)});
  diagnostics::sort_diagnostics(report.diagnostics);
  normalize_incomplete(report.incomplete_reasons);
  return report;
}

Result<std::string> render(const CheckReport& report, cli::OutputFormat format) {
  switch (format) {
    case cli::OutputFormat::text: {
      diagnostics::SourceMap sources;
      for (const auto& input : report.inputs) sources.emplace(input.display_path, input.source);
      return diagnostics::render_text(report.diagnostics, sources);
    }
    case cli::OutputFormat::concise:
      return diagnostics::render_concise(report.diagnostics);
    case cli::OutputFormat::json:
      return Error{"The json output format is not available in this build."};
    case cli::OutputFormat::sarif:
      return Error{"The sarif output format is not available in this build."};
    case cli::OutputFormat::github:
      return Error{"The github output format is not available in this build."};
  }
  return Error{"unknown output format"};
}

namespace {

std::string statistics_text(const CheckReport& report) {
  std::map<std::string, std::size_t> counts;
  for (const auto& d : report.diagnostics) ++counts[d.code];
  std::string out = "Rule counts:\n";
  for (const auto& [code, count] : counts) out += "  " + code + ": " + std::to_string(count) + "\n";
  out += "Suppressions:\n";
  return out;
}

}  // namespace

CommandResult check_command(const cli::CheckArgs& args) {
  auto cwd = current_directory();
  if (auto* error = std::get_if<CommandError>(&cwd)) return *error;

  CheckRequest request;
  request.current_dir = std::get<std::string>(cwd);
  request.paths = args.paths;
  request.config = args.config;
  request.preview = args.selection.preview;
  request.select = args.selection.select;
  request.extend_select = args.selection.extend_select;
  request.no_cache = args.no_cache;
  if (args.stdin_filename) {
    auto text = files::read_stdin();
    if (!text) return CommandError{"Cannot read UTF-8 stdin: " + text.error()};
    if (!utf8::is_valid(*text)) return CommandError{"Cannot read UTF-8 stdin: stream did not contain valid UTF-8"};
    request.stdin_input = StdinInput{*args.stdin_filename, std::move(*text)};
  }

  auto first = run_check(request);
  if (!first) return CommandError{first.error()};
  CheckReport report = std::move(*first);

  const bool github = args.output_format == cli::OutputFormat::github;
  auto rendered = render(report, args.output_format);
  if (!rendered) return CommandError{rendered.error()};
  std::string output = std::move(*rendered);
  if (args.statistics && !github) output += statistics_text(report);

  std::string write_error;
  if (!write_stdout(output, write_error)) return CommandError{"Cannot write output: " + write_error};

  // Side messages: under `github` every line goes through print_command_error so that no log
  // line reads as a workflow command; otherwise warnings and notices get the "tovik: " prefix.
  auto side_message = [github](const std::string& text, bool prefixed) {
    if (github) {
      print_command_error(text);
    } else {
      print_stderr((prefixed ? "tovik: " : "") + text + "\n");
    }
  };
  if (args.statistics && github) print_command_error(statistics_text(report));
  for (const auto& reason : report.incomplete_reasons) side_message(reason.path + ": " + reason.message, false);
  if (!args.selection.preview && !report.any_preview) {
    std::vector<std::string> given = args.selection.select.value_or(std::vector<std::string>{});
    given.insert(given.end(), args.selection.extend_select.begin(), args.selection.extend_select.end());
    for (const auto& selector : given) {
      if (!rules::selects_only_preview(selector)) continue;
      side_message(selector +
                       " selects only preview rules, which are not enabled; add --preview or set "
                       "`preview = true`.",
                   true);
    }
  }
  for (const auto& notice : report.notices) {
    side_message(notice.path == "." ? notice.message : notice.path + ": " + notice.message, true);
  }

  if (!report.incomplete_reasons.empty()) return 2;
  std::size_t enabled_total = 0;
  for (const auto& input : report.inputs) {
    if (input.selected) enabled_total += input.enabled_rule_count;
  }
  if (!report.selected_files.empty() && enabled_total == 0 && report.diagnostics.empty()) {
    side_message(
        "No rules enabled for the selected files. Inspect `tovik policy` for the effective selection and file kinds.",
        true);
  }
  if (args.exit_zero) return 0;
  return report.diagnostics.empty() ? 0 : 1;
}

}  // namespace tovik::commands
