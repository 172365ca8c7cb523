// The fixed catalogue of rules this version implements: the single source of codes, names,
// maturity, kind scope and runner.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

#include "md/fragment_kind.hpp"

namespace tovik::rules {

enum class RuleScope : std::uint8_t {
  any_file = 0,
  any_kind = 1,
  long_lived = 2,
  not_changelog = 3,
  howto_reference = 4,
  howto_runbook = 5,
  howto_reference_runbook = 6,
};

enum class RuleRunner : std::uint8_t {
  kind = 0,
  normative = 1,
  local_links = 2,
  suppression = 3,
  cross_file = 4,
  heuristic = 5,
};

struct RuleSpec {
  std::string_view code;
  std::string_view name;
  std::string_view basis;
  std::span<const md::FragmentKind> reads;
  std::string_view page;
  RuleScope scope;
  RuleRunner runner;
  bool uses_filesystem;
  bool cross_file;
  bool stable;
};

inline constexpr std::string_view program_version = "0.4.0";
inline constexpr std::string_view convention_version = "0.2.0";

// All rules in catalogue order.
std::span<const RuleSpec> catalogue();
// The row whose code equals `code` exactly, or null.
const RuleSpec* rule_spec(std::string_view code);
// The twelve rule families (first three letters of the codes).
std::span<const std::string_view> families();

std::string_view scope_name(RuleScope scope);
std::string_view runner_name(RuleRunner runner);

}  // namespace tovik::rules
