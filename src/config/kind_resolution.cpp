// Kind resolution and its description for reports.
#include "config/kind_resolution.hpp"

#include "support/quote.hpp"

namespace tovik::config {

using State = KindResolution::State;

KindResolution resolve_kind(const std::optional<md::Frontmatter>& frontmatter,
                            std::optional<DocumentKind> configured) {
  KindResolution r;
  if (frontmatter && !frontmatter->errors.empty()) {
    r.state = State::invalid_frontmatter;
    r.error = frontmatter->errors.front().message;
    r.span = frontmatter->errors.front().span;
    return r;
  }
  if (frontmatter && frontmatter->kind) {
    r.span = frontmatter->span;
    auto kind = parse_kind(*frontmatter->kind);
    if (kind == DocumentKind::generated) {
      r.state = State::generated_in_frontmatter;
    } else if (kind) {
      r.state = State::from_frontmatter;
      r.kind = kind;
    } else {
      r.state = State::unknown_kind;
      r.declared = *frontmatter->kind;
    }
    return r;
  }
  if (configured) {
    r.state = State::from_configuration;
    r.kind = configured;
    return r;
  }
  r.state = State::missing;
  r.span = frontmatter ? frontmatter->span : md::Span{0, 0};
  return r;
}

std::string frontmatter_kind_list() {
  std::string head;
  for (std::size_t i = 0; i + 2 < all_kinds.size(); ++i) {
    if (!head.empty()) head += ", ";
    head += kind_name(all_kinds[i]);
  }
  return head + ", or " + std::string(kind_name(all_kinds[all_kinds.size() - 2]));
}

std::string kind_source(const KindResolution& resolution) {
  switch (resolution.state) {
    case State::from_configuration:
      return "configuration";
    case State::missing:
      return "unknown";
    default:
      return "frontmatter";
  }
}

nlohmann::ordered_json describe_kind(const KindResolution& resolution) {
  nlohmann::ordered_json out;
  out["value"] = resolution.kind ? nlohmann::ordered_json(std::string(kind_name(*resolution.kind))) : nullptr;
  out["source"] = kind_source(resolution);
  switch (resolution.state) {
    case State::from_frontmatter:
    case State::from_configuration:
      out["problem"] = nullptr;
      break;
    case State::invalid_frontmatter:
      out["problem"] = "Frontmatter is invalid; inspect document.frontmatter.errors.";
      break;
    case State::generated_in_frontmatter:
      out["problem"] = "The generated kind can only be assigned in configuration.";
      break;
    case State::unknown_kind:
      out["problem"] = "Unknown kind " + quote(resolution.declared) + "; use one of the lowercase kinds " +
                       frontmatter_kind_list() + ".";
      break;
    case State::missing:
      out["problem"] = "Declare kind in frontmatter or add a matching [[kinds]] configuration entry.";
      break;
  }
  return out;
}

}  // namespace tovik::config
