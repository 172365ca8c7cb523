// Conversion of the Markdown syntax tree into the Document: one pass over the tree with an
// explicit stack, after a pass that collects link reference definitions.
#include "md/convert.hpp"

#include <algorithm>
#include <map>
#include <utility>

#include "markdown/parser.hpp"
#include "md/destination.hpp"
#include "md/frontmatter.hpp"
#include "md/html_comments.hpp"
#include "md/mapping.hpp"
#include "md/prose.hpp"
#include "support/unicode.hpp"

namespace tovik::md {

namespace {

using markdown::NodeId;
using markdown::NodeType;
using markdown::Tree;

struct Definition {
  std::string destination;
  std::optional<std::string> title;
  Span destination_span;
};

std::optional<BlockKind> block_kind_of(const Tree& tree, NodeId id) {
  const auto& node = tree.nodes[id];
  switch (node.type) {
    case NodeType::Heading: return BlockKind::heading;
    case NodeType::Paragraph: return BlockKind::paragraph;
    case NodeType::List: return BlockKind::list;
    case NodeType::ListItem: return BlockKind::list_item;
    case NodeType::Table: return BlockKind::table;
    case NodeType::TableRow: return BlockKind::table_row;
    case NodeType::TableCell: return BlockKind::table_cell;
    case NodeType::Code: return BlockKind::code;
    case NodeType::Blockquote: return BlockKind::blockquote;
    case NodeType::Html:
      return tree.text(id).starts_with("<!--") ? BlockKind::html_comment : BlockKind::html;
    case NodeType::ThematicBreak: return BlockKind::thematic_break;
    case NodeType::Definition: return BlockKind::definition;
    case NodeType::FootnoteDefinition: return BlockKind::footnote_definition;
    default: return std::nullopt;
  }
}

// Code spans made only of letters, digits and a few punctuation marks, with at least one letter or digit.
bool is_identifier(std::string_view text) {
  bool any = false;
  std::size_t i = 0;
  while (i < text.size()) {
    auto [cp, len] = unicode::decode(text, i);
    i += len;
    if (unicode::is_alphanumeric(cp)) {
      any = true;
    } else if (cp >= 0x80 || std::string_view("_./:-$[]<>").find(static_cast<char>(cp)) == std::string_view::npos) {
      return false;
    }
  }
  return any;
}

std::string inline_code_text(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    char c = value[i];
    if (c == '\r') {
      if (i + 1 < value.size() && value[i + 1] == '\n') ++i;
      out.push_back(' ');
    } else if (c == '\n') {
      out.push_back(' ');
    } else {
      out.push_back(c);
    }
  }
  return out;
}

class Converter {
 public:
  Converter(Document& doc, const Tree& tree) : doc_(doc), tree_(tree) {}

  void run() {
    collect_definitions();
    read_frontmatter_node();
    doc_.sections.push_back(Section{});
    doc_.sections[0].span = {0, doc_.source.size()};
    walk_blocks();
    resolve_language();
  }

 private:
  struct BlockEntry {
    NodeId node;
    std::optional<std::uint32_t> parent;
  };

  void collect_definitions() {
    for (NodeId id = 0; id < tree_.nodes.size(); ++id) {
      const auto& node = tree_.nodes[id];
      if (node.type != NodeType::Definition) continue;
      const auto& details = tree_.details_of(id);
      std::string key = std::string(details.identifier);
      if (definitions_.count(key)) continue;
      auto scan = locate_destination(tree_.text(id), node.start, true);
      Definition def{std::string(details.url), std::nullopt, scan.destination};
      if (details.title) def.title = std::string(*details.title);
      definitions_.emplace(std::move(key), std::move(def));
    }
  }

  void read_frontmatter_node() {
    for (NodeId child : tree_.children(markdown::kRoot)) {
      const auto& node = tree_.nodes[child];
      if (node.type == NodeType::Yaml) {
        doc_.frontmatter = read_frontmatter(doc_.source, {node.start, node.end}, node.value);
        break;
      }
    }
    if (!doc_.frontmatter && opens_with_fence(doc_.source)) doc_.frontmatter = unterminated_frontmatter(doc_.source);
    if (doc_.frontmatter && doc_.frontmatter->lang) {
      const std::string& lang = *doc_.frontmatter->lang;
      if (lang == "en") declared_ = Language::en;
      if (lang == "zh") declared_ = Language::zh;
      if (lang == "ja") declared_ = Language::ja;
    }
  }

  void open_section(NodeId id) {
    const auto& node = tree_.nodes[id];
    while (open_sections_.size() > 1 && doc_.sections[open_sections_.back()].depth >= node.depth) {
      doc_.sections[open_sections_.back()].span.end = node.start;
      open_sections_.pop_back();
    }
    auto index = static_cast<std::uint32_t>(doc_.sections.size());
    Section section;
    section.parent = open_sections_.back();
    section.depth = static_cast<std::uint8_t>(node.depth);
    section.heading_span = Span{node.start, node.end};
    section.span = {node.start, doc_.source.size()};
    doc_.sections[open_sections_.back()].children.push_back(index);
    doc_.sections.push_back(std::move(section));
    open_sections_.push_back(index);
  }

  void walk_blocks() {
    std::vector<BlockEntry> stack;
    push_children(stack, markdown::kRoot, std::nullopt);
    while (!stack.empty()) {
      BlockEntry entry = stack.back();
      stack.pop_back();
      const auto& node = tree_.nodes[entry.node];
      switch (node.type) {
        case NodeType::Emphasis:
        case NodeType::Strong:
        case NodeType::Delete:
        case NodeType::Link:
        case NodeType::LinkReference:
          push_children(stack, entry.node, entry.parent);
          continue;
        default:
          break;
      }
      auto kind = block_kind_of(tree_, entry.node);
      if (!kind) continue;
      if (*kind == BlockKind::heading) open_section(entry.node);
      std::uint32_t index = add_block(*kind, entry.node, entry.parent);
      if (node.type == NodeType::Html) comments_.scan(tree_.text(entry.node), node.start, doc_.comments);
      if (*kind == BlockKind::heading || *kind == BlockKind::paragraph || *kind == BlockKind::table_cell) {
        walk_inline(entry.node, index);
      } else {
        push_children(stack, entry.node, index);
      }
    }
  }

  void push_children(std::vector<BlockEntry>& stack, NodeId id, std::optional<std::uint32_t> parent) {
    std::size_t first = stack.size();
    for (NodeId child : tree_.children(id)) stack.push_back({child, parent});
    std::reverse(stack.begin() + static_cast<std::ptrdiff_t>(first), stack.end());
  }

  std::uint32_t add_block(BlockKind kind, NodeId id, std::optional<std::uint32_t> parent) {
    const auto& node = tree_.nodes[id];
    auto index = static_cast<std::uint32_t>(doc_.blocks.size());
    Block block;
    block.kind = kind;
    block.span = {node.start, node.end};
    block.section = open_sections_.back();
    block.parent = parent;
    if (kind == BlockKind::list) block.ordered = node.ordered;
    if (kind == BlockKind::list_item) block.checked = node.checked;
    if (kind == BlockKind::code) {
      if (const auto& lang = tree_.details_of(id).lang) block.code_language = std::string(*lang);
    }
    doc_.sections[block.section].blocks.push_back(index);
    if (parent) doc_.blocks[*parent].children.push_back(index);
    doc_.blocks.push_back(std::move(block));
    return index;
  }

  void add_fragment(std::vector<Fragment>& out, FragmentKind kind, std::string text, Span range) {
    out.push_back(make_fragment(doc_.source, kind, std::move(text), range));
  }

  // Records a link or image and its destination fragment; returns the label's source range when known.
  std::optional<Span> add_link(NodeId id, std::vector<Fragment>& fragments) {
    const auto& node = tree_.nodes[id];
    const auto& details = tree_.details_of(id);
    bool image = node.type == NodeType::Image || node.type == NodeType::ImageReference;
    bool reference = node.type == NodeType::LinkReference || node.type == NodeType::ImageReference;
    auto scan = locate_destination(tree_.text(id), node.start, false);
    RawLink link;
    link.span = {node.start, node.end};
    link.image = image;
    if (reference) {
      auto it = definitions_.find(std::string(details.identifier));
      if (it == definitions_.end()) return scan.label;
      link.destination = it->second.destination;
      link.destination_span = it->second.destination_span;
      link.title = it->second.title;
      link.reference = std::string(details.label);
    } else {
      link.destination = std::string(details.url);
      link.destination_span = scan.destination;
      if (details.title) link.title = std::string(*details.title);
    }
    add_fragment(fragments, FragmentKind::link_destination, link.destination, link.destination_span);
    doc_.links.push_back(std::move(link));
    return scan.label;
  }

  void walk_inline(NodeId block_node, std::uint32_t block_index) {
    std::vector<Fragment> fragments;
    struct Entry {
      NodeId node;
      FragmentKind kind;
    };
    std::vector<Entry> stack;
    auto push_children_of = [&](NodeId id, FragmentKind kind) {
      std::size_t first = stack.size();
      for (NodeId child : tree_.children(id)) stack.push_back({child, kind});
      std::reverse(stack.begin() + static_cast<std::ptrdiff_t>(first), stack.end());
    };
    push_children_of(block_node, FragmentKind::text);
    while (!stack.empty()) {
      Entry entry = stack.back();
      stack.pop_back();
      const auto& node = tree_.nodes[entry.node];
      Span span{node.start, node.end};
      switch (node.type) {
        case NodeType::Text:
          add_fragment(fragments, entry.kind, std::string(node.value), span);
          break;
        case NodeType::InlineCode:
          add_fragment(fragments, FragmentKind::inline_code, inline_code_text(node.value), span);
          break;
        case NodeType::Break:
          add_fragment(fragments, entry.kind, "\n", span);
          break;
        case NodeType::Html:
          comments_.scan(tree_.text(entry.node), node.start, doc_.comments);
          break;
        case NodeType::Link:
        case NodeType::LinkReference:
          add_link(entry.node, fragments);
          if (node.first_child == markdown::kNoNode) {
            add_fragment(fragments, FragmentKind::link_text, "", span);
          } else {
            push_children_of(entry.node, FragmentKind::link_text);
          }
          break;
        case NodeType::Image:
        case NodeType::ImageReference: {
          auto label = add_link(entry.node, fragments);
          add_fragment(fragments, FragmentKind::link_text, std::string(tree_.details_of(entry.node).alt),
                       label.value_or(span));
          break;
        }
        case NodeType::Emphasis:
        case NodeType::Strong:
        case NodeType::Delete:
          push_children_of(entry.node, entry.kind);
          break;
        default:
          break;
      }
    }

    const Block& block = doc_.blocks[block_index];
    if (block.kind == BlockKind::heading) {
      std::string heading;
      for (const auto& f : fragments) {
        if (f.kind != FragmentKind::link_destination) heading += f.text;
      }
      doc_.sections[block.section].heading = std::move(heading);
    }
    for (const auto& f : fragments) {
      if (f.kind == FragmentKind::inline_code && is_identifier(f.text)) {
        doc_.identifiers.push_back({f.text, f.span, block_index, block.section});
      }
    }
    for (auto& sentence : split_sentences(fragments, block_index, declared_)) {
      doc_.blocks[block_index].sentences.push_back(static_cast<std::uint32_t>(doc_.sentences.size()));
      doc_.sentences.push_back(std::move(sentence));
    }
  }

  void resolve_language() {
    if (declared_) {
      doc_.language = *declared_;
      return;
    }
    std::string text;
    for (const auto& sentence : doc_.sentences) {
      for (const auto& f : sentence.fragments) {
        if (f.kind == FragmentKind::text || f.kind == FragmentKind::link_text) text += f.text;
      }
    }
    doc_.language = detect_language(text);
  }

  Document& doc_;
  const Tree& tree_;
  std::map<std::string, Definition> definitions_;
  std::optional<Language> declared_;
  std::vector<std::uint32_t> open_sections_{0};
  HtmlCommentScanner comments_;
};

}  // namespace

Result<Document> parse_document(std::string source) {
  Document doc;
  doc.source = std::move(source);
  Tree tree = markdown::parse(doc.source);
  Converter(doc, tree).run();
  return doc;
}

}  // namespace tovik::md
