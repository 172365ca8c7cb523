// The workspace analysis shared by check and the report commands: discovery, parsing and each
// file's policy (kind, domain, site, enabled rules).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "commands/parse_inputs.hpp"
#include "config/kind_resolution.hpp"
#include "config/policy.hpp"
#include "workspace/discover.hpp"

namespace tovik::commands {

struct AnalysisRequest {
  std::string current_dir;
  std::vector<std::string> paths;
  std::optional<std::string> config;
  config::SelectionArgs selection;
  std::optional<workspace::StdinFile> stdin_file;
  bool no_cache = false;
  workspace::DiscoveryMode mode = workspace::DiscoveryMode::check;
};

struct AnalyzedFile {
  std::string path;  // absolute
  std::string display_path;
  bool selected = false;
  config::ConfigPtr config;
  std::string config_name;
  DocumentPtr document;
  config::KindResolution kind;
  config::PathPolicy path_policy;  // configured kind, domain, site
  std::vector<std::string_view> enabled_rules;
  bool preview = false;
};

struct Analysis {
  std::string root;
  std::vector<AnalyzedFile> files;  // the parsed documents, in discovery order
  // Inputs that could not be discovered, read or parsed: sorted by path, then message.
  std::vector<workspace::PathMessage> incomplete_reasons;
  std::vector<workspace::PathMessage> notes;
  std::vector<workspace::Exclusion> exclusions;
  std::map<std::string, config::Settings> configurations;
};

// Discovery, parsing and policy. Fails only where discovery does (selectors, configuration).
Result<Analysis> analyze(const AnalysisRequest& request);

}  // namespace tovik::commands
