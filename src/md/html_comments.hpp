// Finds HTML comments in the raw HTML of a document, node after node, knowing when a raw-text
// element (such as <script>) is open so that "<!--" inside it is not a comment.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "md/document.hpp"

namespace tovik::md {

class HtmlCommentScanner {
 public:
  // Scans one HTML node whose text starts at `offset` in the source; appends the comments found.
  void scan(std::string_view html, std::uint64_t offset, std::vector<HtmlComment>& out);

 private:
  std::string open_raw_text_;  // lower-case name of the open raw-text element, empty when none
};

}  // namespace tovik::md
