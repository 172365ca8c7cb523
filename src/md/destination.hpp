// Locates where a link's, image's or definition's destination is written in the source.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "md/document.hpp"

namespace tovik::md {

struct DestinationScan {
  Span destination;
  std::optional<Span> label;  // the text between the brackets, when they were found
};

// `text` is the node's source text, starting at `offset`. For a definition the label must be
// followed by "]:", otherwise by "](". When nothing can be located the destination is the whole node.
DestinationScan locate_destination(std::string_view text, std::uint64_t offset, bool definition);

}  // namespace tovik::md
