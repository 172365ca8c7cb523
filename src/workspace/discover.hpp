// Workspace discovery: from a command line (current directory, paths, --config, stdin file) to
// the documents of one pass, each with its governing configuration, plus the reasons the result
// is incomplete and the notes that explain explicit paths yielding no document.
//
// Discovery ends where parsing starts. The caller parses the documents, then resolves each
// file's kind and calls config::enabled_rules with it (see config/policy.hpp); nothing of the
// parsed documents feeds back into discovery.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/loader.hpp"
#include "config/policy.hpp"
#include "config/settings.hpp"
#include "support/result.hpp"

namespace tovik::workspace {

enum class DiscoveryMode {
  check,   // explicit paths select documents; context is kept only for cross-file rules
  parse,   // only the selected documents
  report,  // the whole workspace; excluded files are reported too (index, policy)
};

struct StdinFile {
  std::string filename;  // as given, relative to the current directory or absolute
  std::string text;
};

struct DiscoveryRequest {
  std::string current_dir;
  std::vector<std::string> paths;  // command-line order; empty means the whole workspace
  std::optional<std::string> config;
  std::optional<StdinFile> stdin_file;
  config::SelectionArgs selection;
  bool no_cache = false;  // not used by discovery; passed on to the parse cache
  DiscoveryMode mode = DiscoveryMode::check;
};

// An incomplete reason or a notice: a display path ("." for the whole workspace) and a message.
struct PathMessage {
  std::string path;
  std::string message;
  auto operator<=>(const PathMessage&) const = default;
};

struct WorkspaceDocument {
  std::string path;  // absolute, normalised, under the root
  std::string display_path;
  bool selected = false;  // asked for by the command line (always true without explicit paths)
  config::ConfigPtr config;
  std::string config_name;                // display name of `config`
  std::optional<std::string> stdin_text;  // the stdin file: this text replaces the file on disk
};

struct Exclusion {
  std::string path;
  std::string display_path;
  std::string setting;  // "include" (no include glob matches) or "exclude" (an exclude glob matches)
  std::string config_name;
  config::ConfigPtr config;  // for the file's domain and site in reports (config::path_policy)
};

struct Workspace {
  std::string root;
  std::vector<WorkspaceDocument> documents;     // discovery order (path order)
  std::vector<PathMessage> incomplete_reasons;  // sorted by path, then message; no duplicates
  std::vector<PathMessage> notes;
  // Selected excluded files; in report mode every excluded file.
  std::vector<Exclusion> exclusions;
  // Configuration display name to its effective settings: the root configuration and every
  // configuration that governs a collected file.
  std::map<std::string, config::Settings> configurations;
};

// Why an excluded file is not checked: "`exclude` in {} matches it" or "`include` in {} does not
// match it", naming the configuration ("the default configuration" for the defaults).
std::string exclusion_reason(const Exclusion& exclusion);

// One discovery pass. An error ends the pass (invalid command-line selector, configuration error
// at the root, an input that cannot be resolved or lies outside the workspace, a stdin file that
// is not Markdown or is ignored by .gitignore).
Result<Workspace> discover(const DiscoveryRequest& request);

// Maps `path` (absolute, normalised) into the workspace at `root`, resolving symbolic links in
// the part of the path that exists; the result is under `root` as given. A final component that
// is a symbolic link to a file is kept as named (discovery never follows such links).
Result<std::string> resolve_input(std::string_view root, std::string_view path);

}  // namespace tovik::workspace
