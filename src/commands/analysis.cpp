// The workspace analysis: stages one to three of every pass.
#include "commands/analysis.hpp"

#include <algorithm>

#include "md/convert.hpp"

namespace tovik::commands {

namespace {

ParseFunction document_parser() {
  return [](std::string text) -> std::variant<DocumentPtr, std::string> {
    auto doc = md::parse_document(std::move(text));
    if (!doc) return doc.error();
    return std::make_shared<const md::Document>(std::move(*doc));
  };
}

}  // namespace

Result<Analysis> analyze(const AnalysisRequest& request) {
  workspace::DiscoveryRequest discovery;
  discovery.current_dir = request.current_dir;
  discovery.paths = request.paths;
  discovery.config = request.config;
  discovery.stdin_file = request.stdin_file;
  discovery.selection = request.selection;
  discovery.no_cache = request.no_cache;
  discovery.mode = request.mode;
  auto found = workspace::discover(discovery);
  if (!found) return Error{found.error()};
  workspace::Workspace& ws = *found;

  Analysis analysis;
  analysis.root = ws.root;
  analysis.incomplete_reasons = std::move(ws.incomplete_reasons);
  analysis.notes = std::move(ws.notes);
  analysis.exclusions = std::move(ws.exclusions);
  analysis.configurations = std::move(ws.configurations);

  std::vector<ParseInput> inputs;
  inputs.reserve(ws.documents.size());
  for (const auto& doc : ws.documents) inputs.push_back({doc.path, doc.stdin_text});
  std::vector<ParseResult> parsed = parse_inputs(inputs, document_parser());

  for (std::size_t i = 0; i < ws.documents.size(); ++i) {
    auto& doc = ws.documents[i];
    if (auto* error = std::get_if<std::string>(&parsed[i])) {
      analysis.incomplete_reasons.push_back({doc.display_path, *error});
      continue;
    }
    AnalyzedFile file;
    file.path = doc.path;
    file.display_path = doc.display_path;
    file.selected = doc.selected;
    file.config = doc.config;
    file.config_name = doc.config_name;
    file.document = std::get<DocumentPtr>(parsed[i]);
    file.path_policy = config::path_policy(*file.config, file.path);
    file.kind = config::resolve_kind(file.document->frontmatter, file.path_policy.configured_kind);
    config::Selection selection = config::effective_selection(*file.config, request.selection);
    file.preview = selection.preview;
    file.enabled_rules = config::enabled_rules(*file.config, file.path, selection, file.kind.effective());
    analysis.files.push_back(std::move(file));
  }
  std::sort(analysis.incomplete_reasons.begin(), analysis.incomplete_reasons.end());
  analysis.incomplete_reasons.erase(
      std::unique(analysis.incomplete_reasons.begin(), analysis.incomplete_reasons.end()),
      analysis.incomplete_reasons.end());
  return analysis;
}

}  // namespace tovik::commands
