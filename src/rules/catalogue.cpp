// The rule catalogue as one static table.
#include "rules/catalogue.hpp"

#include <array>

namespace tovik::rules {

namespace {

using FK = md::FragmentKind;
constexpr FK kNone[] = {FK::text};  // placeholder storage; rules that read nothing use an empty span
constexpr FK kTL[] = {FK::text, FK::link_text};
constexpr FK kTLC[] = {FK::text, FK::link_text, FK::inline_code};
constexpr FK kTLCD[] = {FK::text, FK::link_text, FK::inline_code, FK::link_destination};
constexpr FK kTLD[] = {FK::text, FK::link_text, FK::link_destination};
constexpr FK kD[] = {FK::link_destination};
constexpr FK kC[] = {FK::inline_code};
constexpr FK kCD[] = {FK::inline_code, FK::link_destination};
constexpr FK kCTL[] = {FK::inline_code, FK::text, FK::link_text};

constexpr std::span<const FK> none{kNone, 0};

using S = RuleScope;
using R = RuleRunner;

// Columns: code, name, basis, reads, page, scope, runner, uses_filesystem, cross_file, stable.
constexpr std::array<RuleSpec, 27> kCatalogue{{
    {"STL002", "deployment-state-assertion", "heuristic", kTL, "", S::long_lived, R::heuristic, false, false, false},
    {"STL004", "unconstrained-version", "heuristic", kTLC, "", S::long_lived, R::heuristic, false, false, false},
    {"RAT001", "rationale-before-procedure", "heuristic", kTL, "", S::howto_reference, R::heuristic, false, false, false},
    {"ORD001", "long-preamble", "heuristic", kTL, "", S::howto_runbook, R::heuristic, false, false, false},
    {"ORD002", "exceptions-before-procedure", "heuristic", kTL, "", S::howto_runbook, R::heuristic, false, false, false},
    {"MIX001", "conflicting-section-role", "heuristic", kTL, "", S::howto_reference_runbook, R::heuristic, false, false, false},
    {"VOX002", "excluded-scope-heading", "heuristic", kTL, "", S::long_lived, R::heuristic, false, false, false},
    {"VOX003", "production-narration", "heuristic", kTL, "", S::long_lived, R::heuristic, false, false, false},
    {"EVD001", "unsupported-evaluation", "heuristic", kTLCD, "", S::any_kind, R::heuristic, false, false, false},
    {"KND001", "missing-document-kind", "consistency", none, "", S::any_file, R::kind, false, false, true},
    {"KND002", "invalid-document-kind", "consistency", none, "", S::any_file, R::kind, false, false, true},
    {"STL001", "current-value-snapshot", "convention", kTLC, "", S::long_lived, R::normative, false, false, false},
    {"STL003", "commit-snapshot", "convention", kTLC, "", S::long_lived, R::normative, false, false, false},
    {"PTR001", "repository-root-pointer", "convention", kTLD, "", S::not_changelog, R::normative, false, false, false},
    {"PTR003", "unspecified-source-pointer", "convention", kTLCD, "", S::any_kind, R::normative, false, false, false},
    {"LNK001", "missing-local-link-target", "consistency", kD, "", S::any_file, R::local_links, true, false, true},
    {"RAT002", "design-choice-heading", "convention", kTL, "", S::howto_reference, R::normative, false, false, false},
    {"VOX001", "requester-conversation", "convention", kTL, "", S::long_lived, R::normative, false, false, false},
    {"SUP001", "invalid-suppression", "consistency", none, "", S::any_file, R::suppression, false, false, true},
    {"SUP002", "unused-suppression", "consistency", none, "", S::any_file, R::suppression, false, false, true},
    {"PTR002", "directory-pointer", "heuristic", kD, "", S::not_changelog, R::cross_file, true, true, false},
    {"LNK002", "missing-local-anchor", "consistency", kD, "", S::any_file, R::cross_file, true, true, false},
    {"DUP001", "repeated-definitions", "heuristic", kC, "", S::any_kind, R::cross_file, false, true, false},
    {"DUP002", "repeated-content-pointer", "heuristic", kCD, "", S::any_kind, R::cross_file, false, true, false},
    {"DUP003", "similar-paragraphs", "heuristic", kTLC, "", S::any_kind, R::cross_file, false, true, false},
    {"OWN001", "plan-definition-overlap", "heuristic", kC, "", S::any_kind, R::cross_file, false, true, false},
    {"OWN002", "ambiguous-owner", "heuristic", kCTL, "", S::any_kind, R::cross_file, false, true, false},
}};

constexpr std::array<std::string_view, 12> kFamilies{"STL", "VOX", "PTR", "RAT", "ORD", "MIX",
                                                     "EVD", "KND", "LNK", "SUP", "DUP", "OWN"};

}  // namespace

std::span<const RuleSpec> catalogue() { return kCatalogue; }

const RuleSpec* rule_spec(std::string_view code) {
  for (const auto& spec : kCatalogue) {
    if (spec.code == code) return &spec;
  }
  return nullptr;
}

std::span<const std::string_view> families() { return kFamilies; }

std::string_view scope_name(RuleScope scope) {
  switch (scope) {
    case S::any_file: return "any_file";
    case S::any_kind: return "any_kind";
    case S::long_lived: return "long_lived";
    case S::not_changelog: return "not_changelog";
    case S::howto_reference: return "howto_reference";
    case S::howto_runbook: return "howto_runbook";
    case S::howto_reference_runbook: return "howto_reference_runbook";
  }
  return "";
}

std::string_view runner_name(RuleRunner runner) {
  switch (runner) {
    case R::kind: return "kind";
    case R::normative: return "normative";
    case R::local_links: return "local_links";
    case R::suppression: return "suppression";
    case R::cross_file: return "cross_file";
    case R::heuristic: return "heuristic";
  }
  return "";
}

}  // namespace tovik::rules
