// A test-only HTML renderer over the Markdown tree, in the style of the CommonMark reference renderers,
// so the spec examples can be checked against their expected HTML.
#pragma once

#include <string>
#include <string_view>

#include "markdown/parser.hpp"

namespace tovik::markdown::testing {

std::string render_html(const Tree& tree);

// The usual normalisation before comparing HTML: whitespace around block tags dropped, runs of
// whitespace outside <pre> collapsed, attributes sorted, character references written as characters.
std::string normalize_html(std::string_view html);

}  // namespace tovik::markdown::testing
