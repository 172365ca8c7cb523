// Markdown text to Document: frontmatter, sections, blocks, fragments, links, comments, identifiers.
#pragma once

#include <string>
#include <string_view>

#include "md/document.hpp"
#include "support/result.hpp"

namespace tovik::md {

// Builds the document of one Markdown file. A pure function of the text; problems in the text
// (bad frontmatter, unresolved references, stray HTML) are recorded in the document.
Result<Document> parse_document(std::string source);

}  // namespace tovik::md
