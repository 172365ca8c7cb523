// The nodes of a tree while it is built, and the linking of nodes.
#pragma once

#include <memory>
#include <vector>

#include "markdown/parser.hpp"

namespace tovik::markdown::detail {

// Nodes in fixed-size chunks: adding a node never moves the others (a growing vector would copy them
// all, again and again). finish_tree() moves the reachable ones, in document order, into the Tree.
class NodeArena {
 public:
  Node& operator[](NodeId id) { return chunks_[id >> kShift][id & kMask]; }
  const Node& operator[](NodeId id) const { return chunks_[id >> kShift][id & kMask]; }
  std::size_t size() const { return size_; }
  NodeId push(Node node) {
    if ((size_ & kMask) == 0) chunks_.push_back(std::make_unique<Node[]>(kMask + 1));
    NodeId id = static_cast<NodeId>(size_++);
    (*this)[id] = std::move(node);
    return id;
  }

 private:
  static constexpr std::size_t kShift = 8;  // chunks small enough to come from the heap, not fresh pages
  static constexpr std::size_t kMask = (std::size_t{1} << kShift) - 1;
  std::vector<std::unique_ptr<Node[]>> chunks_;
  std::size_t size_ = 0;
};

// The kind-specific fields of a node under construction, made on first use. The reference is only
// good until the next call (the vector may grow).
inline NodeDetails& details_of(Tree& tree, NodeArena& nodes, NodeId id) {
  if (nodes[id].details == kNoDetails) {
    nodes[id].details = static_cast<std::uint32_t>(tree.details.size());
    tree.details.emplace_back();
  }
  return tree.details[nodes[id].details];
}

inline NodeId add_node(NodeArena& nodes, NodeType type, std::uint32_t start, std::uint32_t end) {
  Node node;
  node.type = type;
  node.start = start;
  node.end = end;
  return nodes.push(std::move(node));
}

inline void append_child(NodeArena& tree, NodeId parent, NodeId child) {
  Node& c = tree[child];
  Node& p = tree[parent];
  c.parent = parent;
  c.next_sibling = kNoNode;
  c.prev_sibling = p.last_child;
  if (p.last_child != kNoNode) {
    tree[p.last_child].next_sibling = child;
  } else {
    p.first_child = child;
  }
  p.last_child = child;
}

inline void insert_after(NodeArena& tree, NodeId sibling, NodeId node) {
  Node& s = tree[sibling];
  Node& n = tree[node];
  n.parent = s.parent;
  n.prev_sibling = sibling;
  n.next_sibling = s.next_sibling;
  if (s.next_sibling != kNoNode) {
    tree[s.next_sibling].prev_sibling = node;
  } else if (s.parent != kNoNode) {
    tree[s.parent].last_child = node;
  }
  s.next_sibling = node;
}

inline void insert_before(NodeArena& tree, NodeId sibling, NodeId node) {
  Node& s = tree[sibling];
  Node& n = tree[node];
  n.parent = s.parent;
  n.next_sibling = sibling;
  n.prev_sibling = s.prev_sibling;
  if (s.prev_sibling != kNoNode) {
    tree[s.prev_sibling].next_sibling = node;
  } else if (s.parent != kNoNode) {
    tree[s.parent].first_child = node;
  }
  s.prev_sibling = node;
}

inline void unlink(NodeArena& tree, NodeId node) {
  Node& n = tree[node];
  if (n.prev_sibling != kNoNode) {
    tree[n.prev_sibling].next_sibling = n.next_sibling;
  } else if (n.parent != kNoNode) {
    tree[n.parent].first_child = n.next_sibling;
  }
  if (n.next_sibling != kNoNode) {
    tree[n.next_sibling].prev_sibling = n.prev_sibling;
  } else if (n.parent != kNoNode) {
    tree[n.parent].last_child = n.prev_sibling;
  }
  n.parent = n.prev_sibling = n.next_sibling = kNoNode;
}

// Moves the siblings from `first` to `last` (inclusive, same parent) to the end of `into`'s children.
inline void move_range(NodeArena& tree, NodeId first, NodeId last, NodeId into) {
  NodeId id = first;
  while (true) {
    NodeId next = tree[id].next_sibling;
    unlink(tree, id);
    append_child(tree, into, id);
    if (id == last || next == kNoNode) break;
    id = next;
  }
}

}  // namespace tovik::markdown::detail
