// The inline parser: turns the content of a paragraph, heading or table cell into inline nodes.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>

#include "markdown/content.hpp"
#include "markdown/parser.hpp"
#include "markdown/tree_ops.hpp"

namespace tovik::markdown::detail {

struct InlineContext {
  Tree& tree;  // the source and the string store
  NodeArena& nodes;
  const std::unordered_set<std::string>& link_labels;      // normalised labels of definitions
  const std::unordered_set<std::string>& footnote_labels;  // normalised labels of footnote definitions
};

// Parses `content` and appends the inline nodes as children of `parent`.
void parse_inlines(InlineContext& context, NodeId parent, const Content& content);

// Saves the decoded form of `text` (escapes and references resolved) in the tree's store, or returns a
// view of `text` itself when nothing needs decoding and `text` already lives in the tree.
std::string_view save_unescaped(Tree& tree, std::string_view text, std::string& scratch);

}  // namespace tovik::markdown::detail
