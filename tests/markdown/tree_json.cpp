// Converts the tree to the oracle's JSON shape: {"type", "span", fields..., "children"?}.
#include "tree_json.hpp"

#include <vector>

namespace tovik::markdown::testing {
namespace {

using Json = nlohmann::ordered_json;

Json optional_string(const std::optional<std::string_view>& value) {
  return value.has_value() ? Json(std::string(*value)) : Json(nullptr);
}

bool has_children(NodeType type) {
  switch (type) {
    case NodeType::Root:
    case NodeType::Paragraph:
    case NodeType::Heading:
    case NodeType::Blockquote:
    case NodeType::List:
    case NodeType::ListItem:
    case NodeType::Emphasis:
    case NodeType::Strong:
    case NodeType::Delete:
    case NodeType::Link:
    case NodeType::LinkReference:
    case NodeType::Table:
    case NodeType::TableRow:
    case NodeType::TableCell:
    case NodeType::FootnoteDefinition:
      return true;
    default:
      return false;
  }
}

std::string_view reference_name(ReferenceType type) {
  switch (type) {
    case ReferenceType::Full:
      return "full";
    case ReferenceType::Collapsed:
      return "collapsed";
    default:
      return "shortcut";
  }
}

Json fields(const Tree& tree, NodeId id) {
  const Node& n = tree.nodes[id];
  const NodeDetails& d = tree.details_of(id);
  Json out;
  out["type"] = std::string(type_name(n.type));
  out["span"] = Json::array({n.start, n.end});
  auto label = [&] {
    out["label"] = std::string(d.label);
    out["identifier"] = std::string(d.identifier);
  };
  switch (n.type) {
    case NodeType::Heading:
      out["depth"] = n.depth;
      break;
    case NodeType::List:
      out["ordered"] = n.ordered;
      out["start"] = n.ordered ? Json(n.start_number) : Json(nullptr);
      out["spread"] = n.spread;
      break;
    case NodeType::ListItem:
      out["spread"] = n.spread;
      out["checked"] = n.checked.has_value() ? Json(*n.checked) : Json(nullptr);
      break;
    case NodeType::Code:
      out["lang"] = optional_string(d.lang);
      out["meta"] = optional_string(d.meta);
      out["value"] = std::string(n.value);
      break;
    case NodeType::Html:
    case NodeType::Text:
    case NodeType::InlineCode:
    case NodeType::Yaml:
      out["value"] = std::string(n.value);
      break;
    case NodeType::Definition:
      out["url"] = std::string(d.url);
      out["title"] = optional_string(d.title);
      label();
      break;
    case NodeType::FootnoteDefinition:
    case NodeType::FootnoteReference:
      label();
      break;
    case NodeType::Link:
      out["url"] = std::string(d.url);
      out["title"] = optional_string(d.title);
      break;
    case NodeType::Image:
      out["url"] = std::string(d.url);
      out["title"] = optional_string(d.title);
      out["alt"] = std::string(d.alt);
      break;
    case NodeType::LinkReference:
      label();
      out["referenceType"] = std::string(reference_name(n.reference_type));
      break;
    case NodeType::ImageReference:
      out["alt"] = std::string(d.alt);
      label();
      out["referenceType"] = std::string(reference_name(n.reference_type));
      break;
    case NodeType::Table: {
      Json align = Json::array();
      for (Align a : d.align) {
        switch (a) {
          case Align::Left:
            align.push_back("left");
            break;
          case Align::Right:
            align.push_back("right");
            break;
          case Align::Center:
            align.push_back("center");
            break;
          default:
            align.push_back(nullptr);
            break;
        }
      }
      out["align"] = align;
      break;
    }
    default:
      break;
  }
  if (has_children(n.type)) out["children"] = Json::array();
  return out;
}

}  // namespace

Json tree_to_json(const Tree& tree, NodeId id) {
  // Iterative, so deep trees do not exhaust the stack.
  Json root = fields(tree, id);
  struct Frame {
    NodeId child;
    Json* json;
  };
  std::vector<Frame> stack;
  stack.push_back({tree.nodes[id].first_child, &root});
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.child == kNoNode) {
      stack.pop_back();
      continue;
    }
    NodeId child = top.child;
    top.child = tree.nodes[child].next_sibling;
    Json& list = (*top.json)["children"];
    list.push_back(fields(tree, child));
    Json* added = &list.back();
    if (tree.nodes[child].first_child != kNoNode) stack.push_back({tree.nodes[child].first_child, added});
  }
  return root;
}

}  // namespace tovik::markdown::testing
