// Linking nodes into the tree while it is built.
#pragma once

#include "markdown/parser.hpp"

namespace tovik::markdown::detail {

inline NodeId add_node(Tree& tree, NodeType type, std::uint32_t start, std::uint32_t end) {
  Node node;
  node.type = type;
  node.start = start;
  node.end = end;
  tree.nodes.push_back(std::move(node));
  return static_cast<NodeId>(tree.nodes.size() - 1);
}

inline void append_child(Tree& tree, NodeId parent, NodeId child) {
  Node& c = tree.nodes[child];
  Node& p = tree.nodes[parent];
  c.parent = parent;
  c.next_sibling = kNoNode;
  c.prev_sibling = p.last_child;
  if (p.last_child != kNoNode) {
    tree.nodes[p.last_child].next_sibling = child;
  } else {
    p.first_child = child;
  }
  p.last_child = child;
}

inline void insert_after(Tree& tree, NodeId sibling, NodeId node) {
  Node& s = tree.nodes[sibling];
  Node& n = tree.nodes[node];
  n.parent = s.parent;
  n.prev_sibling = sibling;
  n.next_sibling = s.next_sibling;
  if (s.next_sibling != kNoNode) {
    tree.nodes[s.next_sibling].prev_sibling = node;
  } else if (s.parent != kNoNode) {
    tree.nodes[s.parent].last_child = node;
  }
  s.next_sibling = node;
}

inline void insert_before(Tree& tree, NodeId sibling, NodeId node) {
  Node& s = tree.nodes[sibling];
  Node& n = tree.nodes[node];
  n.parent = s.parent;
  n.next_sibling = sibling;
  n.prev_sibling = s.prev_sibling;
  if (s.prev_sibling != kNoNode) {
    tree.nodes[s.prev_sibling].next_sibling = node;
  } else if (s.parent != kNoNode) {
    tree.nodes[s.parent].first_child = node;
  }
  s.prev_sibling = node;
}

inline void unlink(Tree& tree, NodeId node) {
  Node& n = tree.nodes[node];
  if (n.prev_sibling != kNoNode) {
    tree.nodes[n.prev_sibling].next_sibling = n.next_sibling;
  } else if (n.parent != kNoNode) {
    tree.nodes[n.parent].first_child = n.next_sibling;
  }
  if (n.next_sibling != kNoNode) {
    tree.nodes[n.next_sibling].prev_sibling = n.prev_sibling;
  } else if (n.parent != kNoNode) {
    tree.nodes[n.parent].last_child = n.prev_sibling;
  }
  n.parent = n.prev_sibling = n.next_sibling = kNoNode;
}

// Moves the siblings from `first` to `last` (inclusive, same parent) to the end of `into`'s children.
inline void move_range(Tree& tree, NodeId first, NodeId last, NodeId into) {
  NodeId id = first;
  while (true) {
    NodeId next = tree.nodes[id].next_sibling;
    unlink(tree, id);
    append_child(tree, into, id);
    if (id == last || next == kNoNode) break;
    id = next;
  }
}

}  // namespace tovik::markdown::detail
