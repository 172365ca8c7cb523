// Document kinds: the nine responsibilities a document can have, with their fixed names.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tovik::config {

enum class DocumentKind : std::uint8_t {
  readme = 0,
  howto = 1,
  reference = 2,
  runbook = 3,
  agents = 4,
  adr = 5,
  plan = 6,
  changelog = 7,
  generated = 8,
};

// Every kind in its fixed order, which is also the order of every list of kinds in messages.
inline constexpr std::array<DocumentKind, 9> all_kinds = {
    DocumentKind::readme,  DocumentKind::howto,     DocumentKind::reference,
    DocumentKind::runbook, DocumentKind::agents,    DocumentKind::adr,
    DocumentKind::plan,    DocumentKind::changelog, DocumentKind::generated,
};

std::string_view kind_name(DocumentKind kind);
// The kind whose name equals `text` exactly (case-sensitive, no trimming), or nothing.
std::optional<DocumentKind> parse_kind(std::string_view text);
// The nine names joined by ", ", as configuration messages list them.
std::string all_kind_names();

}  // namespace tovik::config
