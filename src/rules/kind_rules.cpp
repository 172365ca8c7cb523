// The kind rules.
#include "rules/kind_rules.hpp"

#include "support/quote.hpp"

namespace tovik::rules {

using State = config::KindResolution::State;

std::optional<diagnostics::Diagnostic> kind_diagnostic(const config::KindResolution& resolution,
                                                       const std::string& filename, std::string_view source) {
  const diagnostics::ByteRange range{resolution.span.start, resolution.span.end};
  auto make = [&](const char* code, std::string message, std::string suggestion) {
    return diagnostics::make_diagnostic(code, std::move(message), filename, source, range, std::move(suggestion));
  };
  switch (resolution.state) {
    case State::from_frontmatter:
    case State::from_configuration:
      return std::nullopt;
    case State::invalid_frontmatter: {
      std::string error = resolution.error;
      while (!error.empty() && error.back() == '.') error.pop_back();
      return make("KND001", "Document kind cannot be resolved because the frontmatter is invalid: " + error + ".",
                  "Correct the YAML frontmatter so its kind declaration can be read.");
    }
    case State::missing:
      return make("KND001", "Document kind is not declared and no kind mapping matches this file.",
                  "Declare kind as " + config::frontmatter_kind_list() +
                      " in YAML frontmatter, or add a matching [[kinds]] configuration entry.");
    case State::generated_in_frontmatter:
      return make("KND002",
                  "The generated kind is declared in frontmatter; it can only be assigned in configuration.",
                  "Remove this declaration and assign generated with a [[kinds]] path mapping if a tool generates "
                  "this file.");
    case State::unknown_kind:
      return make("KND002", "Unknown document kind " + quote(resolution.declared) + ".",
                  "Use one of the lowercase kinds " + config::frontmatter_kind_list() + " in frontmatter.");
  }
  return std::nullopt;
}

}  // namespace tovik::rules
