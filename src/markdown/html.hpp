// Raw HTML: the start and end conditions of HTML blocks and the scanner of inline tags.
#pragma once

#include <cstddef>
#include <string_view>

namespace tovik::markdown::detail {

// The kind (1-7) of HTML block that `line` (starting at the `<`) opens, or 0. Kind 7 cannot interrupt
// a paragraph, so it is only reported when `can_be_kind7` is set.
int html_block_start(std::string_view line, bool can_be_kind7);
// Whether `line` holds the end condition of an HTML block of kind 1-5.
bool html_block_ends(int kind, std::string_view line);

// Scanner state that keeps repeated failed scans linear: once a terminator was not found after some
// position, later scans that would need it fail at once.
struct HtmlScanMemo {
  std::size_t no_comment_end_after = std::string_view::npos;
  std::size_t no_pi_end_after = std::string_view::npos;
  std::size_t no_cdata_end_after = std::string_view::npos;
  std::size_t no_declaration_end_after = std::string_view::npos;
};

// Length of the inline HTML (tag, comment, processing instruction, declaration, CDATA) starting at
// `pos` (a `<`) in `text`, or 0.
std::size_t scan_inline_html(std::string_view text, std::size_t pos, HtmlScanMemo& memo);

// Length of a complete open or closing tag at `pos` (used by the kind-7 block start), or 0.
std::size_t scan_html_tag(std::string_view text, std::size_t pos);

}  // namespace tovik::markdown::detail
