// The Markdown parser: CommonMark 0.31.2 plus the GitHub extensions (tables, task list items,
// strikethrough, autolink literals, footnotes) and YAML frontmatter, producing an mdast-shaped tree
// whose every node carries byte offsets into the source.
//
//   tovik::markdown::Tree tree = tovik::markdown::parse(text);
//   for (NodeId child : tree.children(kRoot)) {
//     const Node& node = tree.nodes[child];             // type, offsets, links, value, small fields
//     const NodeDetails& more = tree.details_of(child);  // url, title, alt, label, lang, align, ...
//   }
//
// Nodes live in one vector in document order (pre-order: a parent comes before its children, siblings
// in source order) and refer to each other by index. Node offsets are half-open byte ranges into the
// text given to parse(), a leading byte-order mark counted. Decoded values (character references and
// backslash escapes resolved) are string views into the tree's own storage or into its copy of the
// source, so they live as long as the Tree; the text given to parse() need not be kept. A Tree can be
// moved, not copied.
//
// Spans follow the mdast convention of the widely used JavaScript parser the tests compare with: the
// root starts after a byte-order mark and ends at the end of the text; a block ends at the end of its
// last line (trailing spaces included, the line ending not), fenced code and raw HTML left open at the
// end of the text reach the end; a list item ends with its last content; a text node runs across soft
// line breaks (its value drops the whitespace around them). A link that the second autolink-literal
// pass finds in decoded text that differs from its source (say `foo\+@example.com`) gets the span of the
// whole text it came from.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovik::markdown {

enum class NodeType : std::uint8_t {
  Root,
  // Blocks.
  Paragraph,
  Heading,  // depth; ATX or setext
  ThematicBreak,
  Blockquote,
  List,                // ordered, start, spread
  ListItem,            // spread, checked
  Code,                // lang, meta, value; fenced or indented
  Html,                // value: the raw HTML (one node per HTML block, per inline tag or comment)
  Definition,          // label, url, title
  FootnoteDefinition,  // label
  Table,               // align
  TableRow,
  TableCell,
  Yaml,  // value: the frontmatter text between the fences
  // Inlines.
  Text,  // value
  Emphasis,
  Strong,
  Delete,
  InlineCode,  // value
  Break,
  Link,               // url, title
  Image,              // url, title, alt
  LinkReference,      // label, reference_type
  ImageReference,     // label, reference_type, alt
  FootnoteReference,  // label
};

// The mdast name of a node type ("paragraph", "thematicBreak", ...).
std::string_view type_name(NodeType type);

enum class ReferenceType : std::uint8_t { None, Shortcut, Collapsed, Full };
enum class Align : std::uint8_t { None, Left, Right, Center };

using NodeId = std::uint32_t;
inline constexpr NodeId kNoNode = 0xffffffffu;
inline constexpr NodeId kRoot = 0;

// The fields that only some kinds of node have; a node's `details` indexes Tree::details.
struct NodeDetails {
  std::string_view url;                   // Link, Image, Definition
  std::optional<std::string_view> title;  // Link, Image, Definition
  std::string_view alt;                   // Image, ImageReference: plain text of the description
  std::string_view label;       // references and definitions: the label (escapes and references decoded)
  std::string_view identifier;  // references and definitions: normalize_label() of the label as
                                // written; a reference matches the first definition with it
  std::optional<std::string_view> lang;  // Code: first word of the info string
  std::optional<std::string_view> meta;  // Code: rest of the info string
  std::vector<Align> align;              // Table: one entry per column
};

inline constexpr std::uint32_t kNoDetails = 0xffffffffu;

// A node: kept small, since a document has many (most are text). Kind-specific fields beyond these are
// in Tree::details (see Tree::details_of).
struct Node {
  NodeType type = NodeType::Root;
  ReferenceType reference_type = ReferenceType::None;  // LinkReference, ImageReference
  std::uint8_t depth = 0;                              // Heading: 1-6
  bool ordered = false;                                // List
  bool spread = false;          // List, ListItem: mdast's spread (blank lines between items or children)
  bool loose = false;           // List: CommonMark's looseness (paragraphs rendered with <p>)
  std::optional<bool> checked;  // ListItem: task list state
  std::uint32_t start = 0;      // first byte of the node in the source
  std::uint32_t end = 0;        // one past its last byte
  NodeId parent = kNoNode;
  NodeId first_child = kNoNode;
  NodeId last_child = kNoNode;
  NodeId next_sibling = kNoNode;
  NodeId prev_sibling = kNoNode;
  std::uint32_t start_number = 0;      // List: the first item's number when ordered
  std::uint32_t details = kNoDetails;  // index into Tree::details, when the node has such fields
  std::string_view value;              // Text, Code, Html, InlineCode, Yaml
};

// Owns the strings that node values point into (decoded text, the copy of the source).
class StringStore {
 public:
  StringStore() = default;
  StringStore(const StringStore&) = delete;
  StringStore& operator=(const StringStore&) = delete;
  StringStore(StringStore&&) = default;
  StringStore& operator=(StringStore&&) = default;

  // Copies `text` and returns a view of the copy that stays valid as long as the store.
  std::string_view save(std::string_view text);

 private:
  std::vector<std::unique_ptr<char[]>> chunks_;
  char* free_ = nullptr;
  std::size_t left_ = 0;
};

struct Tree {
  std::vector<Node> nodes;           // nodes[kRoot] is the root; pre-order
  std::vector<NodeDetails> details;  // the kind-specific fields of some nodes
  std::string_view source;           // the parsed text (the tree's own copy)
  StringStore strings;

  // The kind-specific fields of a node (all empty when it has none): `tree.details_of(id).url`.
  const NodeDetails& details_of(NodeId id) const {
    static const NodeDetails kEmpty;
    std::uint32_t index = nodes[id].details;
    return index == kNoDetails ? kEmpty : details[index];
  }

  class ChildRange {
   public:
    class iterator {
     public:
      iterator(const std::vector<Node>* nodes, NodeId id) : nodes_(nodes), id_(id) {}
      NodeId operator*() const { return id_; }
      iterator& operator++() {
        id_ = (*nodes_)[id_].next_sibling;
        return *this;
      }
      bool operator==(const iterator& other) const { return id_ == other.id_; }
      bool operator!=(const iterator& other) const { return id_ != other.id_; }

     private:
      const std::vector<Node>* nodes_;
      NodeId id_;
    };
    ChildRange(const std::vector<Node>* nodes, NodeId first) : nodes_(nodes), first_(first) {}
    iterator begin() const { return {nodes_, first_}; }
    iterator end() const { return {nodes_, kNoNode}; }

   private:
    const std::vector<Node>* nodes_;
    NodeId first_;
  };

  // The children of `id` in order: `for (NodeId child : tree.children(id))`.
  ChildRange children(NodeId id) const { return {&nodes, nodes[id].first_child}; }
  // The source text a node covers.
  std::string_view text(NodeId id) const {
    return source.substr(nodes[id].start, nodes[id].end - nodes[id].start);
  }
};

// Parses a whole Markdown file. Never fails: every input, valid UTF-8 or not, gives a tree.
Tree parse(std::string_view source);

// The normalised form of a link or footnote label, under which references match definitions:
// whitespace runs collapsed to one space, trimmed, Unicode case folded (lower, upper, lower).
std::string normalize_label(std::string_view label);

}  // namespace tovik::markdown
