// How one file's kind is resolved from its frontmatter and the configuration's kind mappings.
#pragma once

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "config/kind.hpp"
#include "md/document.hpp"

namespace tovik::config {

struct KindResolution {
  enum class State {
    from_frontmatter,
    from_configuration,
    invalid_frontmatter,
    generated_in_frontmatter,
    unknown_kind,
    missing,
  };
  State state = State::missing;
  std::optional<DocumentKind> kind;  // for from_frontmatter and from_configuration
  std::string error;                 // invalid_frontmatter: the first frontmatter error
  std::string declared;              // unknown_kind: the declared string
  md::Span span;                     // where the problem is; empty at 0 without frontmatter

  // The kind the rules see: present only when it was resolved.
  std::optional<DocumentKind> effective() const { return kind; }
};

// Frontmatter first, then the configured kind (which alone may make a file `generated`).
KindResolution resolve_kind(const std::optional<md::Frontmatter>& frontmatter,
                            std::optional<DocumentKind> configured);

// "readme, howto, reference, runbook, agents, adr, plan, or changelog"
std::string frontmatter_kind_list();

// {"value", "source", "problem"} as reports print them.
nlohmann::ordered_json describe_kind(const KindResolution& resolution);
// "frontmatter", "configuration" or "unknown".
std::string kind_source(const KindResolution& resolution);

}  // namespace tovik::config
