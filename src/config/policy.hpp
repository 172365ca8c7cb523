// Per-file policy: which rules run on a file, and the path mappings (kind, domain, site) its
// configuration gives it. The kind itself is resolved elsewhere from the document's frontmatter
// and the configured kind below; functions here take the resolved kind as input.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/config.hpp"
#include "config/kind.hpp"
#include "rules/catalogue.hpp"
#include "support/result.hpp"

namespace tovik::config {

// The command-line selection options shared by check and the report commands.
struct SelectionArgs {
  bool preview = false;
  // Absent when --select was not given: the configured selection is kept.
  std::optional<std::vector<std::string>> select;
  std::vector<std::string> extend_select;
};

// The select list, ignore list and preview flag that apply to files of one configuration.
struct Selection {
  std::vector<std::string> select;
  std::vector<std::string> ignore;
  bool preview = false;
};

// Checks every --select value, then every --extend-select value; the first invalid one is the
// error (the invalid-selector message by itself).
std::optional<Error> validate_selection_args(const SelectionArgs& args);

Selection effective_selection(const Config& config, const SelectionArgs& args);

// True when `code` is selected, not ignored at the same or a higher specificity, and not turned
// off by a per-file ignore matching `config_path` (the file's path for the configuration's globs).
bool rule_enabled(std::string_view code, const Selection& selection, const Config& config,
                  const std::optional<std::string>& config_path);

// True when a rule of `scope` runs on a file whose effective kind is `kind` (absent: unresolved).
bool scope_admits(rules::RuleScope scope, std::optional<DocumentKind> kind);

// The rules selected for `file` before its kind is known: candidates by preview flag, then
// rule_enabled, in ascending byte order of the codes.
std::vector<std::string_view> selected_rules(const Config& config, std::string_view file,
                                             const Selection& selection);

// The enabled rules of `file` (absolute path) with effective kind `kind` (absent: unresolved),
// ascending byte order. Fails with the invalid-selector message for a bad command-line selector.
Result<std::vector<std::string_view>> enabled_rules(const Config& config, std::string_view file,
                                                    const SelectionArgs& args,
                                                    std::optional<DocumentKind> kind);
// As enabled_rules, for a selection already computed (and validated) for the file's configuration.
std::vector<std::string_view> enabled_rules(const Config& config, std::string_view file,
                                            const Selection& selection, std::optional<DocumentKind> kind);

// What a file's configuration says about its path: the last matching entry of [[kinds]],
// [[domains]] and [[sites]] wins.
struct PathPolicy {
  std::optional<std::string> config_path;  // nothing when the file lies outside the base directory
  std::optional<DocumentKind> configured_kind;
  std::optional<std::string> domain;
  std::optional<SiteMapping> site;
};

PathPolicy path_policy(const Config& config, std::string_view file);

// The configuration's settings with the command-line selection applied, as reports print them.
Settings effective_settings(const Config& config, const SelectionArgs& args);

}  // namespace tovik::config
