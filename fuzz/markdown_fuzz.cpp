// libFuzzer target for the Markdown parser: any input must parse without crashing, and the tree must be
// well formed (offsets inside the source, consistent links, nodes in document order).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "markdown/parser.hpp"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tovik::markdown;
  std::string_view source(reinterpret_cast<const char*>(data), size);
  Tree tree = parse(source);
  check(!tree.nodes.empty() && tree.nodes[kRoot].type == NodeType::Root);
  check(tree.source == source);
  for (NodeId id = 0; id < tree.nodes.size(); ++id) {
    const Node& node = tree.nodes[id];
    check(node.start <= node.end && node.end <= size);
    if (id != kRoot) check(node.parent < id);  // pre-order: parents come first
    NodeId previous = kNoNode;
    for (NodeId child : tree.children(id)) {
      check(child > id && child < tree.nodes.size());
      check(tree.nodes[child].parent == id);
      check(tree.nodes[child].prev_sibling == previous);
      previous = child;
    }
    check(node.last_child == previous);
  }
  return 0;
}
