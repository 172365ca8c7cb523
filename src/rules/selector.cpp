// Parsing and matching of rule selectors.
#include "rules/selector.hpp"

#include "rules/catalogue.hpp"
#include "support/quote.hpp"

namespace tovik::rules {

std::string invalid_selector_message(std::string_view text) {
  return "invalid rule selector " + quote(text) +
         " for tovik 0.4.0; use ALL, a rule family such as KND, or a code listed by `tovik rule --all`; "
         "rules added in a newer release need an upgrade";
}

Result<Selector> parse_selector(std::string_view text) {
  if (text == "ALL") return Selector{std::string(text)};
  for (const auto& spec : catalogue()) {
    bool family = text.size() == 3 && spec.code.starts_with(text);
    if (family || spec.code == text) return Selector{std::string(text)};
  }
  return Error{invalid_selector_message(text)};
}

std::optional<int> specificity(std::string_view selector, std::string_view code) {
  if (selector == "ALL") return 0;
  if (selector == code) return 2;
  if (!selector.empty() && code.starts_with(selector)) return 1;
  return std::nullopt;
}

bool selects_only_preview(std::string_view selector) {
  if (selector == "ALL" || selector.empty()) return false;
  bool any = false;
  for (const auto& spec : catalogue()) {
    if (!spec.code.starts_with(selector)) continue;
    if (spec.stable) return false;
    any = true;
  }
  return any;
}

}  // namespace tovik::rules
