// Names of the document kinds.
#include "config/kind.hpp"

namespace tovik::config {

namespace {
constexpr std::array<std::string_view, 9> kind_names = {
    "readme", "howto", "reference", "runbook", "agents", "adr", "plan", "changelog", "generated",
};
}  // namespace

std::string_view kind_name(DocumentKind kind) {
  return kind_names[static_cast<std::size_t>(kind)];
}

std::optional<DocumentKind> parse_kind(std::string_view text) {
  for (DocumentKind kind : all_kinds) {
    if (kind_name(kind) == text) return kind;
  }
  return std::nullopt;
}

std::string all_kind_names() {
  std::string out;
  for (std::string_view name : kind_names) {
    if (!out.empty()) out += ", ";
    out += name;
  }
  return out;
}

}  // namespace tovik::config
