// Rule selectors: "ALL", a family such as KND, or a full code such as KND001.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "support/result.hpp"

namespace tovik::rules {

struct Selector {
  std::string text;
  bool operator==(const Selector&) const = default;
};

// The selector, or the invalid-selector message naming the quoted text.
Result<Selector> parse_selector(std::string_view text);
std::string invalid_selector_message(std::string_view text);

// How specifically `selector` matches `code`: 2 for the code itself, 1 for a prefix (a family),
// 0 for "ALL"; nothing when it does not match.
std::optional<int> specificity(std::string_view selector, std::string_view code);

// True when at least one catalogue code starts with the selector and none of those is stable.
// "ALL" never counts as such.
bool selects_only_preview(std::string_view selector);

}  // namespace tovik::rules
