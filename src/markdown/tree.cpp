// The tree's storage, node names, label normalisation, and the final renumbering of nodes in document order.
#include <cstring>
#include <string>
#include <vector>

#include "markdown/parser.hpp"
#include "markdown/tables.hpp"
#include "markdown/text.hpp"
#include "markdown/tree_ops.hpp"

namespace tovik::markdown {

std::string_view StringStore::save(std::string_view text) {
  if (text.empty()) return {};
  if (text.size() > left_) {
    std::size_t size = std::max<std::size_t>(text.size(), 16 * 1024);
    chunks_.push_back(std::make_unique<char[]>(size));
    free_ = chunks_.back().get();
    left_ = size;
  }
  std::memcpy(free_, text.data(), text.size());
  std::string_view saved(free_, text.size());
  free_ += text.size();
  left_ -= text.size();
  return saved;
}

std::string_view type_name(NodeType type) {
  switch (type) {
    case NodeType::Root:
      return "root";
    case NodeType::Paragraph:
      return "paragraph";
    case NodeType::Heading:
      return "heading";
    case NodeType::ThematicBreak:
      return "thematicBreak";
    case NodeType::Blockquote:
      return "blockquote";
    case NodeType::List:
      return "list";
    case NodeType::ListItem:
      return "listItem";
    case NodeType::Code:
      return "code";
    case NodeType::Html:
      return "html";
    case NodeType::Definition:
      return "definition";
    case NodeType::FootnoteDefinition:
      return "footnoteDefinition";
    case NodeType::Table:
      return "table";
    case NodeType::TableRow:
      return "tableRow";
    case NodeType::TableCell:
      return "tableCell";
    case NodeType::Yaml:
      return "yaml";
    case NodeType::Text:
      return "text";
    case NodeType::Emphasis:
      return "emphasis";
    case NodeType::Strong:
      return "strong";
    case NodeType::Delete:
      return "delete";
    case NodeType::InlineCode:
      return "inlineCode";
    case NodeType::Break:
      return "break";
    case NodeType::Link:
      return "link";
    case NodeType::Image:
      return "image";
    case NodeType::LinkReference:
      return "linkReference";
    case NodeType::ImageReference:
      return "imageReference";
    case NodeType::FootnoteReference:
      return "footnoteReference";
  }
  return "unknown";
}

std::string normalize_label(std::string_view label) {
  std::string out;
  out.reserve(label.size());
  bool pending_space = false;
  std::size_t i = 0;
  while (i < label.size()) {
    char c = label[i];
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      pending_space = !out.empty();
      ++i;
      continue;
    }
    if (pending_space) {
      out.push_back(' ');
      pending_space = false;
    }
    if (static_cast<unsigned char>(c) < 0x80) {
      out.push_back(detail::ascii_lower(c));
      ++i;
      continue;
    }
    std::size_t length;
    std::uint32_t code = detail::decode_utf8(label, i, length);
    const char* folded = detail::fold_case(code);
    if (folded != nullptr) {
      out.append(folded);
    } else {
      out.append(label.substr(i, length));
    }
    i += length;
  }
  return out;
}

namespace detail {

// Moves the reachable nodes into the tree in pre-order, renumbered; nodes unlinked while parsing are left
// behind.
void finish_tree(Tree& tree, NodeArena& nodes) {
  std::vector<NodeId> renumber(nodes.size(), kNoNode);
  std::vector<NodeId> order;
  NodeId id = kRoot;
  while (id != kNoNode) {
    renumber[id] = static_cast<NodeId>(order.size());
    order.push_back(id);
    if (nodes[id].first_child != kNoNode) {
      id = nodes[id].first_child;
      continue;
    }
    while (id != kRoot && nodes[id].next_sibling == kNoNode) id = nodes[id].parent;
    id = id == kRoot ? kNoNode : nodes[id].next_sibling;
  }
  auto map = [&](NodeId old) { return old == kNoNode ? kNoNode : renumber[old]; };
  tree.nodes.clear();
  tree.nodes.reserve(order.size());
  for (NodeId old : order) {
    Node& node = nodes[old];
    node.parent = map(node.parent);
    node.first_child = map(node.first_child);
    node.last_child = map(node.last_child);
    node.next_sibling = map(node.next_sibling);
    node.prev_sibling = map(node.prev_sibling);
    tree.nodes.push_back(std::move(node));
  }
}

}  // namespace detail
}  // namespace tovik::markdown
