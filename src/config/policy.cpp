// Rule selection per file and path mappings.
#include "config/policy.hpp"

#include <algorithm>

#include "rules/selector.hpp"

namespace tovik::config {

namespace {

std::optional<int> best_specificity(const std::vector<std::string>& selectors, std::string_view code) {
  std::optional<int> best;
  for (const std::string& selector : selectors) {
    auto s = rules::specificity(selector, code);
    if (s && (!best || *s > *best)) best = s;
  }
  return best;
}

template <typename Mapping>
const Mapping* last_match(const std::vector<Mapping>& mappings,
                          const std::optional<std::string>& config_path) {
  if (!config_path) return nullptr;
  const Mapping* found = nullptr;
  for (const Mapping& mapping : mappings) {
    if (mapping.glob.matches(*config_path)) found = &mapping;
  }
  return found;
}

}  // namespace

std::optional<Error> validate_selection_args(const SelectionArgs& args) {
  auto check = [](const std::vector<std::string>& list) -> std::optional<Error> {
    for (const std::string& text : list) {
      auto selector = rules::parse_selector(text);
      if (!selector.ok()) return Error{selector.error()};
    }
    return std::nullopt;
  };
  if (args.select) {
    if (auto error = check(*args.select)) return error;
  }
  return check(args.extend_select);
}

Selection effective_selection(const Config& config, const SelectionArgs& args) {
  Selection selection;
  selection.select = args.select ? *args.select : config.settings.lint.select;
  selection.select.insert(selection.select.end(), args.extend_select.begin(), args.extend_select.end());
  selection.ignore = config.settings.lint.ignore;
  selection.preview = config.settings.preview || args.preview;
  return selection;
}

bool rule_enabled(std::string_view code, const Selection& selection, const Config& config,
                  const std::optional<std::string>& config_path) {
  auto selected = best_specificity(selection.select, code);
  if (!selected) return false;
  auto ignored = best_specificity(selection.ignore, code);
  if (ignored && *ignored >= *selected) return false;
  if (config_path) {
    for (const CompiledPerFileIgnore& entry : config.per_file_ignores) {
      if (!entry.glob.matches(*config_path)) continue;
      for (const std::string& selector : entry.selectors) {
        if (rules::specificity(selector, code)) return false;
      }
    }
  }
  return true;
}

bool scope_admits(rules::RuleScope scope, std::optional<DocumentKind> kind) {
  using rules::RuleScope;
  if (!kind) return scope == RuleScope::any_file;
  DocumentKind k = *kind;
  if (k == DocumentKind::generated) return false;
  switch (scope) {
    case RuleScope::any_file:
    case RuleScope::any_kind:
      return true;
    case RuleScope::long_lived:
      return k == DocumentKind::readme || k == DocumentKind::howto || k == DocumentKind::reference ||
             k == DocumentKind::runbook || k == DocumentKind::agents;
    case RuleScope::not_changelog:
      return k != DocumentKind::changelog;
    case RuleScope::howto_reference:
      return k == DocumentKind::howto || k == DocumentKind::reference;
    case RuleScope::howto_runbook:
      return k == DocumentKind::howto || k == DocumentKind::runbook;
    case RuleScope::howto_reference_runbook:
      return k == DocumentKind::howto || k == DocumentKind::reference || k == DocumentKind::runbook;
  }
  return false;
}

std::vector<std::string_view> selected_rules(const Config& config, std::string_view file,
                                             const Selection& selection) {
  auto config_path = config_path_of(config, file);
  std::vector<std::string_view> codes;
  for (const rules::RuleSpec& spec : rules::catalogue()) {
    if (!selection.preview && !spec.stable) continue;
    if (rule_enabled(spec.code, selection, config, config_path)) codes.push_back(spec.code);
  }
  std::sort(codes.begin(), codes.end());
  return codes;
}

std::vector<std::string_view> enabled_rules(const Config& config, std::string_view file,
                                            const Selection& selection, std::optional<DocumentKind> kind) {
  std::vector<std::string_view> codes = selected_rules(config, file, selection);
  std::erase_if(codes, [&](std::string_view code) {
    const rules::RuleSpec* spec = rules::rule_spec(code);
    return spec == nullptr || !scope_admits(spec->scope, kind);
  });
  return codes;
}

Result<std::vector<std::string_view>> enabled_rules(const Config& config, std::string_view file,
                                                    const SelectionArgs& args,
                                                    std::optional<DocumentKind> kind) {
  if (auto error = validate_selection_args(args)) return *error;
  return enabled_rules(config, file, effective_selection(config, args), kind);
}

PathPolicy path_policy(const Config& config, std::string_view file) {
  PathPolicy policy;
  policy.config_path = config_path_of(config, file);
  if (const auto* kind = last_match(config.kinds, policy.config_path)) policy.configured_kind = kind->kind;
  if (const auto* domain = last_match(config.domains, policy.config_path)) policy.domain = domain->name;
  if (const auto* site = last_match(config.sites, policy.config_path)) policy.site = site->site;
  return policy;
}

Settings effective_settings(const Config& config, const SelectionArgs& args) {
  Settings settings = config.settings;
  if (args.select) settings.lint.select = *args.select;
  settings.lint.select.insert(settings.lint.select.end(), args.extend_select.begin(),
                              args.extend_select.end());
  if (args.preview) settings.preview = true;
  return settings;
}

}  // namespace tovik::config
