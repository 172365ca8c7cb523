// Scanners for the parts of links and link reference definitions: labels, destinations, titles.
#pragma once

#include <cstddef>
#include <string_view>

namespace tovik::markdown::detail {

// A bracketed label at `pos` (a `[`): returns the position just past its `]`, or npos. The label holds at
// most 999 characters, no unescaped brackets, and at least one non-whitespace character.
std::size_t scan_link_label(std::string_view text, std::size_t pos);

struct Destination {
  std::size_t end = std::string_view::npos;  // just past the destination, npos when there is none
  std::size_t value_start = 0;               // the destination without its angle brackets
  std::size_t value_end = 0;
};
// A link destination at `pos`: `<...>` or a run without spaces or controls and with balanced parentheses.
Destination scan_link_destination(std::string_view text, std::size_t pos);

// A link title at `pos` (`"..."`, `'...'` or `(...)`): returns the position just past it, or npos.
std::size_t scan_link_title(std::string_view text, std::size_t pos);

// Skips spaces, tabs and at most one line ending; returns the new position.
std::size_t skip_spaces_one_line(std::string_view text, std::size_t pos, bool& saw_line_end);

}  // namespace tovik::markdown::detail
