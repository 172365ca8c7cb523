// The YAML frontmatter of a document: its span, raw text, the keys tovik reads and their problems.
#pragma once

#include <optional>
#include <string_view>

#include "md/document.hpp"

namespace tovik::md {

// True when the first line, after one optional byte-order mark, is exactly "---".
bool opens_with_fence(std::string_view source);

// Reads a closed frontmatter block: `span` covers both fences, `raw` is the text between them.
Frontmatter read_frontmatter(std::string_view source, Span span, std::string_view raw);

// The frontmatter of a document that opens with "---" but never closes it: recorded (with one
// error) only when the first non-blank line after the fence looks like a "key:" entry.
std::optional<Frontmatter> unterminated_frontmatter(std::string_view source);

}  // namespace tovik::md
