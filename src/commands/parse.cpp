// The parse command's report, in text or JSON.
#include "commands/parse.hpp"

#include <cstdio>
#include <string>

#include <nlohmann/json.hpp>

#include "commands/analysis.hpp"
#include "commands/output.hpp"
#include "md/document_json.hpp"
#include "sections/annotate.hpp"
#include "support/files.hpp"
#include "support/utf8.hpp"

namespace tovik::commands {

namespace {

using Json = nlohmann::ordered_json;

std::string kind_value(const config::KindResolution& kind) {
  return kind.kind ? std::string(config::kind_name(*kind.kind)) : "unknown";
}

std::string text_report(const Analysis& analysis) {
  std::string out;
  for (const auto& file : analysis.files) {
    const md::Document& doc = *file.document;
    std::size_t headings = doc.sections.empty() ? 0 : doc.sections.size() - 1;
    out += file.display_path + ": kind=" + kind_value(file.kind) + " (" + config::kind_source(file.kind) +
           "), sections=" + std::to_string(headings) + ", blocks=" + std::to_string(doc.blocks.size()) +
           ", sentences=" + std::to_string(doc.sentences.size()) + "\n";
    Json description = config::describe_kind(file.kind);
    if (description["problem"].is_string()) out += "  " + description["problem"].get<std::string>() + "\n";
  }
  out += "Parsed " + std::to_string(analysis.files.size()) + " file(s). No lint rules were run.\n";
  return out;
}

Result<std::string> json_report(const Analysis& analysis) {
  Json files = Json::array();
  for (const auto& file : analysis.files) {
    Json entry;
    entry["filename"] = file.display_path;
    entry["configuration"] = file.config && file.config->source ? Json(file.config_name) : Json(nullptr);
    entry["kind"] = config::describe_kind(file.kind);
    entry["domain"] = file.path_policy.domain ? Json(*file.path_policy.domain) : Json(nullptr);
    entry["section_annotations"] = sections::to_json(sections::annotate_sections(*file.document));
    entry["document"] = md::to_json(*file.document);
    files.push_back(std::move(entry));
  }
  Json errors = Json::array();
  for (const auto& error : analysis.incomplete_reasons) {
    Json e;
    e["filename"] = error.path;
    e["message"] = error.message;
    errors.push_back(std::move(e));
  }
  Json report;
  report["files"] = std::move(files);
  report["errors"] = std::move(errors);
  try {
    return report.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
  } catch (const std::exception& e) {
    return Error{std::string("Cannot encode the parse report: ") + e.what()};
  }
}

}  // namespace

CommandResult parse_command(const cli::ParseArgs& args) {
  auto cwd = current_directory();
  if (auto* error = std::get_if<CommandError>(&cwd)) return *error;

  AnalysisRequest request;
  request.current_dir = std::get<std::string>(cwd);
  request.paths = args.paths;
  request.config = args.config;
  request.mode = workspace::DiscoveryMode::parse;
  if (args.stdin_filename) {
    auto text = files::read_stdin();
    if (!text) return CommandError{"Cannot read UTF-8 Markdown from stdin: " + text.error()};
    if (!utf8::is_valid(*text)) {
      return CommandError{"Cannot read UTF-8 Markdown from stdin: stream did not contain valid UTF-8"};
    }
    request.stdin_file = workspace::StdinFile{*args.stdin_filename, std::move(*text)};
  }
  auto analysis = analyze(request);
  if (!analysis) return CommandError{analysis.error()};

  std::string report;
  if (args.output_format == cli::ParseFormat::json) {
    auto json = json_report(*analysis);
    if (!json) return CommandError{json.error()};
    report = std::move(*json);
  } else {
    report = text_report(*analysis);
  }
  std::string write_error;
  if (!write_stdout(report, write_error)) return CommandError{"Cannot write the parse report: " + write_error};
  for (const auto& error : analysis->incomplete_reasons) print_stderr(error.path + ": " + error.message + "\n");
  return analysis->incomplete_reasons.empty() ? 0 : 2;
}

}  // namespace tovik::commands
