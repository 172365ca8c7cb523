// The block parser: reads the source line by line, keeps the chain of open blocks, and builds the block
// structure; the inline content of paragraphs, headings and table cells is parsed afterwards, once all
// definitions are known.
#include <algorithm>
#include <string>
#include <unordered_set>
#include <vector>

#include "markdown/content.hpp"
#include "markdown/html.hpp"
#include "markdown/inlines.hpp"
#include "markdown/link_scan.hpp"
#include "markdown/parser.hpp"
#include "markdown/text.hpp"
#include "markdown/tree_ops.hpp"

namespace tovik::markdown {

namespace detail {
void finish_tree(Tree& tree, NodeArena& nodes);  // tree.cpp
}

namespace {

using namespace detail;

constexpr int kTabStop = 4;
constexpr int kCodeIndent = 4;

enum class Match { Matched, Failed, LineDone };

// Parser state of a block node (indexed like the node) while blocks are being built.
struct BlockState {
  bool open = true;
  bool last_line_blank = false;
  bool fenced = false;
  bool defs_done = false;
  bool task = false;             // a paragraph after a task list marker
  bool restart = false;          // a paragraph emptied by taking out definitions
  bool items_end_blank = false;  // a closed list: its last item ends with a blank line
  bool unclosed_at_end =
      false;  // raw HTML still open when the source ended (its value keeps the last ending)
  char fence_char = 0;
  int fence_length = 0;
  int fence_offset = 0;
  int html_kind = 0;
  char list_char = 0;  // bullet, or the delimiter of an ordered list
  int marker_offset = 0;
  int padding = 0;
  std::uint32_t lines_begin = 0;  // a leaf's lines in `lines_`
  std::uint32_t lines_end = 0;
  std::uint32_t last_indented_end = 0;  // indented code: end of its last line indented by four columns
  std::uint32_t start_line = 0;
};

// An inline parse to run once the block structure is complete.
struct InlineJob {
  NodeId node;
  std::uint32_t lines_begin;
  std::uint32_t lines_end;
  bool table_cell = false;  // `\|` stands for a pipe everywhere in a cell, code spans included
  bool task = false;        // a paragraph after a task list marker
};

class BlockParser {
 public:
  BlockParser(Tree& tree, NodeArena& nodes) : tree_(tree), nodes_(nodes), src_(tree.source) {}

  void run();

 private:
  // Line scanning.
  void process_line();
  void find_first_nonspace();
  void advance_offset(int count, bool columns);
  char peek(std::size_t pos) const { return pos < line_.size() ? line_[pos] : '\n'; }
  std::uint32_t src_pos(std::size_t line_pos) const {
    return line_start_ + static_cast<std::uint32_t>(line_pos);
  }
  std::uint32_t line_content_end() const { return line_start_ + static_cast<std::uint32_t>(line_.size()); }

  // Blocks.
  NodeId add_block(NodeId parent, NodeType type, std::uint32_t start);
  void close_block(NodeId id);
  Match match_continuation(NodeId container);
  Match match_indented(NodeId container);
  void extend_lists_in_quotes(NodeId deepest);
  bool open_new_block(NodeId& container, bool all_matched, bool maybe_lazy);
  void add_line(NodeId leaf);
  bool accepts_lines(NodeId id) const {
    NodeType t = nodes_[id].type;
    return t == NodeType::Code || t == NodeType::Html || t == NodeType::Yaml;
  }
  std::uint32_t first_nonspace_at(const LineSeg& line) const {
    std::uint32_t p = line.start;
    while (p < line.end && is_space_or_tab(src_[p])) ++p;
    return p;
  }
  bool is_open(NodeId id) const { return id < state_.size() && state_[id].open; }
  void extend_end(NodeId id, std::uint32_t end) {
    if (nodes_[id].end < end) nodes_[id].end = end;
  }

  // Constructs.
  bool try_atx_heading(NodeId& container);
  bool try_fence(NodeId& container);
  bool try_setext(NodeId& container);
  bool try_thematic_break(NodeId& container);
  bool try_list_item(NodeId& container, bool interrupts_paragraph);
  bool try_footnote_definition(NodeId& container);
  bool task_marker(NodeId item);
  bool try_table(NodeId& container);
  void add_table_row(NodeId table);
  bool closing_fence(NodeId code);
  void extract_definitions(NodeId paragraph);
  void finish_paragraph(NodeId paragraph);
  void finish_code(NodeId code);
  void finish_html(NodeId html);
  void finish_list(NodeId list);
  bool frontmatter();

  Tree& tree_;  // the source and the string store
  NodeArena& nodes_;
  std::string_view src_;
  std::vector<BlockState> state_;
  std::vector<LineSeg> lines_;
  std::vector<InlineJob> jobs_;
  std::unordered_set<std::string> link_labels_;
  std::unordered_set<std::string> footnote_labels_;
  std::string buffer_;
  std::string scratch_;
  std::vector<NodeId> chain_;
  Content content_;
  NodeId tip_ = kRoot;
  bool line_consumed_ = false;
  std::size_t break_kill_pos_ = 0;  // see try_thematic_break  // the line was a heading, thematic break,
                                    // setext underline, delimiter row or opening fence

  // The current line.
  std::string_view line_;
  std::uint32_t line_start_ = 0;
  std::uint32_t eol_end_ = 0;
  std::uint32_t line_number_ = 0;
  std::size_t offset_ = 0;
  int column_ = 0;
  bool partial_tab_ = false;
  std::size_t first_nonspace_ = 0;
  int first_nonspace_column_ = 0;
  int indent_ = 0;
  bool blank_ = false;
};

// ---------------------------------------------------------------------------------------------------
// Line scanning

void BlockParser::find_first_nonspace() {
  // The first non-space is kept while the offset has not passed it, so that matching many nested
  // containers does not scan the same indentation again and again.
  if (first_nonspace_ <= offset_) {
    int chars_to_tab = kTabStop - (column_ % kTabStop);
    first_nonspace_ = offset_;
    first_nonspace_column_ = column_;
    while (first_nonspace_ < line_.size()) {
      char c = line_[first_nonspace_];
      if (c == ' ') {
        ++first_nonspace_;
        ++first_nonspace_column_;
        if (--chars_to_tab == 0) chars_to_tab = kTabStop;
      } else if (c == '\t') {
        ++first_nonspace_;
        first_nonspace_column_ += chars_to_tab;
        chars_to_tab = kTabStop;
      } else {
        break;
      }
    }
  }
  indent_ = first_nonspace_column_ - column_;
  blank_ = first_nonspace_ >= line_.size();
}

// Advances by `count` characters, or by `count` columns when `columns` is set (a tab may then be
// consumed only partly).
void BlockParser::advance_offset(int count, bool columns) {
  while (count > 0 && offset_ < line_.size()) {
    char c = line_[offset_];
    if (c == '\t') {
      int chars_to_tab = kTabStop - (column_ % kTabStop);
      if (columns) {
        partial_tab_ = chars_to_tab > count;
        int step = std::min(count, chars_to_tab);
        column_ += step;
        offset_ += partial_tab_ ? 0 : 1;
        count -= step;
      } else {
        partial_tab_ = false;
        column_ += chars_to_tab;
        offset_ += 1;
        count -= 1;
      }
    } else {
      partial_tab_ = false;
      offset_ += 1;
      column_ += 1;
      count -= 1;
    }
  }
}

// ---------------------------------------------------------------------------------------------------
// Blocks

bool can_contain(NodeType parent, NodeType child) {
  switch (parent) {
    case NodeType::Root:
    case NodeType::Blockquote:
    case NodeType::ListItem:
    case NodeType::FootnoteDefinition:
      return child != NodeType::ListItem;
    case NodeType::List:
      return child == NodeType::ListItem;
    default:
      return false;
  }
}

NodeId BlockParser::add_block(NodeId parent, NodeType type, std::uint32_t start) {
  // Blocks the line did not continue end here.
  while (tip_ != parent && tip_ != kRoot) close_block(tip_);
  while (!can_contain(nodes_[parent].type, type)) {
    NodeId up = nodes_[parent].parent;
    close_block(parent);
    parent = up;
  }
  NodeId id = add_node(nodes_, type, start, start);
  append_child(nodes_, parent, id);
  state_.resize(nodes_.size());
  state_[id].start_line = line_number_;
  tip_ = id;
  return id;
}

void BlockParser::add_line(NodeId leaf) {
  LineSeg seg{src_pos(offset_), line_content_end(), eol_end_, 0};
  if (partial_tab_) {
    seg.start += 1;
    seg.virtual_spaces = static_cast<std::uint32_t>(kTabStop - (column_ % kTabStop));
  }
  BlockState& s = state_[leaf];
  if (s.lines_begin == s.lines_end) {
    s.lines_begin = s.lines_end = static_cast<std::uint32_t>(lines_.size());
    // A paragraph whose definitions were all taken out starts again with this line.
    if (s.restart) nodes_[leaf].start = first_nonspace_at(seg);
    s.restart = false;
  }
  lines_.push_back(seg);
  s.lines_end = static_cast<std::uint32_t>(lines_.size());
  extend_end(leaf, line_content_end());
}

void BlockParser::close_block(NodeId id) {
  BlockState& s = state_[id];
  if (!s.open) {
    NodeId up = nodes_[id].parent;
    tip_ = up != kNoNode ? up : kRoot;
    return;
  }
  s.open = false;
  NodeId parent = nodes_[id].parent;  // finishing may unlink the block
  Node& node = nodes_[id];
  switch (node.type) {
    case NodeType::Paragraph:
      finish_paragraph(id);
      break;
    case NodeType::Code:
      finish_code(id);
      break;
    case NodeType::Html:
      finish_html(id);
      break;
    case NodeType::List:
      finish_list(id);
      break;
    default:
      break;
  }
  // A container ends with its last child.
  Node& n = nodes_[id];
  if (n.last_child != kNoNode) extend_end(id, nodes_[n.last_child].end);
  tip_ = parent != kNoNode ? parent : kRoot;
}

Match BlockParser::match_continuation(NodeId container) {
  Node& node = nodes_[container];
  BlockState& s = state_[container];
  bool indented = indent_ >= kCodeIndent;
  switch (node.type) {
    case NodeType::Blockquote:
      if (!indented && peek(first_nonspace_) == '>') {
        advance_offset(static_cast<int>(first_nonspace_ + 1 - offset_), false);
        if (is_space_or_tab(peek(offset_))) advance_offset(1, true);
        extend_end(container, line_content_end());
        return Match::Matched;
      }
      return Match::Failed;
    case NodeType::ListItem:
      if (indent_ >= s.marker_offset + s.padding) {
        advance_offset(s.marker_offset + s.padding, true);
        return Match::Matched;
      }
      if (blank_ && node.first_child != kNoNode) {
        advance_offset(static_cast<int>(first_nonspace_ - offset_), false);
        return Match::Matched;
      }
      return Match::Failed;
    case NodeType::FootnoteDefinition:
      return match_indented(container);
    case NodeType::Code:
      if (s.fenced) {
        if (!indented && closing_fence(container)) return Match::LineDone;
        int skip = s.fence_offset;
        while (skip > 0 && is_space_or_tab(peek(offset_))) {
          advance_offset(1, true);
          --skip;
        }
        return Match::Matched;
      }
      return match_indented(container);
    case NodeType::Html:
      if ((s.html_kind == 6 || s.html_kind == 7) && blank_) return Match::Failed;
      return Match::Matched;
    case NodeType::Paragraph:
    case NodeType::Table:
      return blank_ ? Match::Failed : Match::Matched;
    case NodeType::List:
      return Match::Matched;  // its items decide
    default:
      return Match::Failed;
  }
}

// A blank line inside a block quote (a line of `>` markers) that a list goes on through counts as part
// of the list, as in the reference parser.
void BlockParser::extend_lists_in_quotes(NodeId deepest) {
  bool quoted = false;
  std::vector<NodeId>& chain = chain_;
  chain.clear();
  for (NodeId id = deepest; id != kNoNode; id = nodes_[id].parent) chain.push_back(id);
  for (std::size_t k = chain.size(); k-- > 0;) {
    NodeType t = nodes_[chain[k]].type;
    if (t == NodeType::Blockquote) quoted = true;
    if (t == NodeType::List && quoted) extend_end(chain[k], line_content_end());
  }
}

// Indented code and footnote definitions go on with lines indented by four columns, or blank ones.
Match BlockParser::match_indented(NodeId container) {
  if (indent_ >= kCodeIndent) {
    advance_offset(kCodeIndent, true);
    state_[container].last_indented_end = line_content_end();
    return Match::Matched;
  }
  if (blank_) {
    advance_offset(static_cast<int>(first_nonspace_ - offset_), false);
    return Match::Matched;
  }
  return Match::Failed;
}

bool BlockParser::closing_fence(NodeId code) {
  BlockState& s = state_[code];
  std::size_t i = first_nonspace_;
  int run = 0;
  while (i < line_.size() && line_[i] == s.fence_char) {
    ++i;
    ++run;
  }
  if (run < s.fence_length) return false;
  while (i < line_.size() && is_space_or_tab(line_[i])) ++i;
  if (i < line_.size()) return false;
  nodes_[code].end = line_content_end();
  close_block(code);
  return true;
}

void BlockParser::process_line() {
  break_kill_pos_ = 0;
  first_nonspace_ = 0;
  first_nonspace_column_ = 0;
  offset_ = 0;
  column_ = 0;
  partial_tab_ = false;
  blank_ = false;

  // 1. Which open blocks does the line continue?
  NodeId container = kRoot;
  bool all_matched = true;
  while (true) {
    NodeId last = nodes_[container].last_child;
    if (last == kNoNode || !is_open(last)) break;
    container = last;
    find_first_nonspace();
    Match m = match_continuation(container);
    if (m == Match::LineDone) return;
    if (m == Match::Failed) {
      container = nodes_[container].parent;
      all_matched = false;
      break;
    }
  }
  NodeId last_matched = container;
  if (blank_) extend_lists_in_quotes(container);

  // 2. Does it open new blocks?
  bool maybe_lazy = nodes_[tip_].type == NodeType::Paragraph;
  line_consumed_ = false;
  while (!accepts_lines(container) && !line_consumed_) {
    find_first_nonspace();
    if (!open_new_block(container, all_matched, maybe_lazy)) break;
    maybe_lazy = false;
  }

  // 3. Add the rest of the line.
  if (!line_consumed_ && tip_ != last_matched && container == last_matched && !blank_ &&
      nodes_[tip_].type == NodeType::Paragraph) {
    // A lazy continuation line (leading whitespace is kept; text values drop it).
    add_line(tip_);
    return;
  }
  if (!line_consumed_) {
    while (tip_ != container && tip_ != kRoot) close_block(tip_);
  }
  if (blank_ && nodes_[container].last_child != kNoNode) {
    state_[nodes_[container].last_child].last_line_blank = true;
  }
  NodeType ct = nodes_[container].type;
  BlockState& cs = state_[container];
  cs.last_line_blank = blank_ && ct != NodeType::Blockquote && ct != NodeType::Heading &&
                       ct != NodeType::ThematicBreak && !(ct == NodeType::Code && cs.fenced) &&
                       !(ct == NodeType::ListItem && nodes_[container].first_child == kNoNode &&
                         cs.start_line == line_number_);
  for (NodeId p = nodes_[container].parent; p != kNoNode; p = nodes_[p].parent) {
    state_[p].last_line_blank = false;
  }
  if (line_consumed_) return;

  if (ct == NodeType::Code) {
    add_line(container);
  } else if (ct == NodeType::Html) {
    add_line(container);
    BlockState& hs = state_[container];
    if (hs.html_kind >= 1 && hs.html_kind <= 5 &&
        html_block_ends(hs.html_kind, line_.substr(std::min(offset_, line_.size())))) {
      close_block(container);
    }
  } else if (blank_) {
    // Nothing to add.
  } else if (ct == NodeType::Table) {
    add_table_row(container);
  } else if (ct == NodeType::Paragraph) {
    add_line(container);
  } else {
    advance_offset(static_cast<int>(first_nonspace_ - offset_), false);
    std::uint32_t start = src_pos(offset_);
    bool task =
        ct == NodeType::ListItem && nodes_[container].first_child == kNoNode && task_marker(container);
    // A task paragraph starts at its checkbox, or at its text when text comes first (see run()).
    NodeId para = add_block(container, NodeType::Paragraph, start);
    state_[para].task = task;
    state_[para].defs_done = task;  // the checkbox comes first: no definition can start the paragraph
    add_line(para);
  }
}

bool BlockParser::open_new_block(NodeId& container, bool all_matched, bool maybe_lazy) {
  bool indented = indent_ >= kCodeIndent;
  char c = peek(first_nonspace_);
  NodeType ct = nodes_[container].type;
  if (!indented && c == '>') {
    std::uint32_t start = src_pos(first_nonspace_);
    advance_offset(static_cast<int>(first_nonspace_ + 1 - offset_), false);
    if (is_space_or_tab(peek(offset_))) advance_offset(1, true);
    container = add_block(container, NodeType::Blockquote, start);
    extend_end(container, line_content_end());
    return true;
  }
  if (!indented && c == '#' && try_atx_heading(container)) return true;
  if (!indented && (c == '`' || c == '~') && try_fence(container)) return true;
  if (!indented && c == '<') {
    int kind = html_block_start(line_.substr(first_nonspace_), ct != NodeType::Paragraph);
    if (kind != 0) {
      // On a lazy line after a paragraph, a kind-7 block joins the paragraph's container (as the
      // reference parser does) instead of ending it.
      if (kind == 7 && !all_matched && nodes_[tip_].type == NodeType::Paragraph) {
        container = nodes_[tip_].parent;
      }
      NodeId html = add_block(container, NodeType::Html, src_pos(offset_ + (partial_tab_ ? 1 : 0)));
      state_[html].html_kind = kind;
      container = html;
      return true;
    }
  }
  if (!indented && ct == NodeType::Paragraph && (c == '=' || c == '-') && try_setext(container)) return true;
  if (!indented && ct == NodeType::Paragraph && try_table(container)) return true;
  if (!indented && !(ct == NodeType::Paragraph && !all_matched) && (c == '*' || c == '-' || c == '_') &&
      try_thematic_break(container)) {
    return true;
  }
  if (!indented && c == '[' && peek(first_nonspace_ + 1) == '^' && try_footnote_definition(container))
    return true;
  if ((!indented || ct == NodeType::List) && indent_ < kCodeIndent &&
      try_list_item(container, ct == NodeType::Paragraph)) {
    return true;
  }
  if (indented && !maybe_lazy && !blank_) {
    // A tab partly used by the container belongs to the container.
    std::uint32_t start = src_pos(offset_ + (partial_tab_ ? 1 : 0));
    advance_offset(kCodeIndent, true);
    container = add_block(container, NodeType::Code, start);
    state_[container].last_indented_end = line_content_end();
    return true;
  }
  return false;
}

// ---------------------------------------------------------------------------------------------------
// Headings, fences, breaks

bool BlockParser::try_atx_heading(NodeId& container) {
  std::size_t i = first_nonspace_;
  int level = 0;
  while (i < line_.size() && line_[i] == '#' && level < 7) {
    ++i;
    ++level;
  }
  if (level > 6 || (i < line_.size() && !is_space_or_tab(line_[i]))) return false;
  std::size_t content_start = i;
  while (content_start < line_.size() && is_space_or_tab(line_[content_start])) ++content_start;
  std::size_t content_end = line_.size();
  while (content_end > content_start && is_space_or_tab(line_[content_end - 1])) --content_end;
  // A closing sequence of '#' preceded by a space (or making up the whole content).
  std::size_t hashes = content_end;
  while (hashes > content_start && line_[hashes - 1] == '#') --hashes;
  if (hashes < content_end && (hashes == content_start || is_space_or_tab(line_[hashes - 1]))) {
    content_end = hashes;
    while (content_end > content_start && is_space_or_tab(line_[content_end - 1])) --content_end;
  }
  NodeId heading = add_block(container, NodeType::Heading, src_pos(first_nonspace_));
  nodes_[heading].depth = level;
  nodes_[heading].end = line_content_end();
  if (content_end > content_start) {
    std::uint32_t begin = static_cast<std::uint32_t>(lines_.size());
    lines_.push_back({src_pos(content_start), src_pos(content_end), src_pos(content_end), 0});
    jobs_.push_back({heading, begin, begin + 1});
  }
  state_[heading].open = false;
  tip_ = nodes_[heading].parent;
  container = heading;
  line_consumed_ = true;
  return true;
}

bool BlockParser::try_fence(NodeId& container) {
  char fence = line_[first_nonspace_];
  std::size_t i = first_nonspace_;
  while (i < line_.size() && line_[i] == fence) ++i;
  std::size_t length = i - first_nonspace_;
  if (length < 3) return false;
  std::size_t info_start = i;
  while (info_start < line_.size() && is_space_or_tab(line_[info_start])) ++info_start;
  if (fence == '`' && line_.find('`', i) != std::string_view::npos) return false;
  NodeId code = add_block(container, NodeType::Code, src_pos(first_nonspace_));
  BlockState& s = state_[code];
  s.fenced = true;
  s.fence_char = fence;
  s.fence_length = static_cast<int>(length);
  s.fence_offset = indent_;
  Node& node = nodes_[code];
  node.end = line_content_end();
  if (info_start < line_.size()) {
    std::size_t lang_end = info_start;
    while (lang_end < line_.size() && !is_space_or_tab(line_[lang_end])) ++lang_end;
    std::string_view lang = save_unescaped(tree_, line_.substr(info_start, lang_end - info_start), scratch_);
    details_of(tree_, nodes_, code).lang = lang;
    std::size_t meta_start = lang_end;
    while (meta_start < line_.size() && is_space_or_tab(line_[meta_start])) ++meta_start;
    if (meta_start < line_.size()) {
      std::string_view meta = save_unescaped(tree_, line_.substr(meta_start), scratch_);
      details_of(tree_, nodes_, code).meta = meta;
    }
  }
  advance_offset(static_cast<int>(line_.size() - offset_), false);
  container = code;
  line_consumed_ = true;  // the opening fence is not content
  return true;
}

bool BlockParser::try_setext(NodeId& container) {
  char marker = line_[first_nonspace_];
  std::size_t i = first_nonspace_;
  while (i < line_.size() && line_[i] == marker) ++i;
  while (i < line_.size() && is_space_or_tab(line_[i])) ++i;
  if (i < line_.size()) return false;
  NodeId para = container;
  extract_definitions(para);
  BlockState& s = state_[para];
  if (s.lines_begin == s.lines_end) return false;  // only definitions: the line is text
  Node& node = nodes_[para];
  node.type = NodeType::Heading;
  node.depth = marker == '=' ? 1 : 2;
  node.end = line_content_end();
  node.start = first_nonspace_at(lines_[s.lines_begin]);
  jobs_.push_back({para, s.lines_begin, s.lines_end});
  s.open = false;
  tip_ = node.parent;
  line_consumed_ = true;
  return true;
}

bool BlockParser::try_thematic_break(NodeId& container) {
  // A failed scan already saw the character that spoils every break starting before it on this line
  // (so `- - - ... x` is not scanned once per list level).
  if (first_nonspace_ < break_kill_pos_) return false;
  char marker = line_[first_nonspace_];
  int count = 0;
  for (std::size_t i = first_nonspace_; i < line_.size(); ++i) {
    char c = line_[i];
    if (c == marker) {
      ++count;
    } else if (!is_space_or_tab(c)) {
      break_kill_pos_ = i;
      return false;
    }
  }
  if (count < 3) return false;
  NodeId rule = add_block(container, NodeType::ThematicBreak, src_pos(first_nonspace_));
  nodes_[rule].end = line_content_end();
  state_[rule].open = false;
  tip_ = nodes_[rule].parent;
  container = rule;
  line_consumed_ = true;
  return true;
}

// ---------------------------------------------------------------------------------------------------
// Lists and footnote definitions

bool BlockParser::try_list_item(NodeId& container, bool interrupts_paragraph) {
  std::size_t pos = first_nonspace_;
  char c = peek(pos);
  bool ordered = false;
  std::uint32_t number = 0;
  char list_char;
  std::size_t marker_end;
  if (c == '*' || c == '+' || c == '-') {
    list_char = c;
    marker_end = pos + 1;
  } else if (is_ascii_digit(c)) {
    std::size_t i = pos;
    while (i < line_.size() && is_ascii_digit(line_[i]) && i - pos < 9) {
      number = number * 10 + static_cast<std::uint32_t>(line_[i] - '0');
      ++i;
    }
    if (i >= line_.size() || (line_[i] != '.' && line_[i] != ')')) return false;
    if (interrupts_paragraph && number != 1) return false;
    ordered = true;
    list_char = line_[i];
    marker_end = i + 1;
  } else {
    return false;
  }
  if (marker_end < line_.size() && !is_space_or_tab(line_[marker_end])) return false;
  if (interrupts_paragraph) {
    std::size_t rest = marker_end;
    while (rest < line_.size() && is_space_or_tab(line_[rest])) ++rest;
    if (rest >= line_.size()) return false;  // an empty item cannot interrupt a paragraph
  }
  int marker_width = static_cast<int>(marker_end - pos);
  int marker_offset = indent_;
  std::uint32_t item_start = src_pos(pos);

  advance_offset(static_cast<int>(marker_end - offset_), false);
  bool saved_partial = partial_tab_;
  std::size_t saved_offset = offset_;
  int saved_column = column_;
  while (column_ - saved_column <= 5 && is_space_or_tab(peek(offset_))) advance_offset(1, true);
  int spaces = column_ - saved_column;
  int padding;
  if (spaces >= 5 || spaces < 1 || offset_ >= line_.size()) {
    padding = marker_width + 1;
    offset_ = saved_offset;
    column_ = saved_column;
    partial_tab_ = saved_partial;
    if (spaces > 0) advance_offset(1, true);
  } else {
    padding = marker_width + spaces;
  }

  NodeType ct = nodes_[container].type;
  bool same_list = false;
  if (ct == NodeType::List) {
    const Node& list = nodes_[container];
    same_list = list.ordered == ordered && state_[container].list_char == list_char;
  }
  if (!same_list) {
    NodeId list = add_block(container, NodeType::List, item_start);
    nodes_[list].ordered = ordered;
    nodes_[list].start_number = number;
    state_[list].list_char = list_char;
    container = list;
  }
  NodeId item = add_block(container, NodeType::ListItem, item_start);
  // An item whose first line is empty ends with that line, trailing whitespace included.
  bool empty_line = line_.find_first_not_of(" \t", marker_end) == std::string_view::npos;
  nodes_[item].end = empty_line ? line_content_end() : src_pos(marker_end);
  state_[item].marker_offset = marker_offset;
  state_[item].padding = padding;
  state_[item].list_char = list_char;
  container = item;
  return true;
}

// A task list marker (`[ ]`, `[x]`) opening the first paragraph of an item, followed by whitespace and
// text. The paragraph's content starts one character after the `]`.
bool BlockParser::task_marker(NodeId item) {
  std::size_t i = offset_;
  if (i + 3 >= line_.size() || line_[i] != '[' || line_[i + 2] != ']') return false;
  char mark = line_[i + 1];
  if (mark != ' ' && mark != '\t' && mark != 'x' && mark != 'X') return false;
  std::size_t rest = i + 3;
  if (!is_space_or_tab(line_[rest])) return false;
  if (line_.find_first_not_of(" \t", rest) == std::string_view::npos) return false;
  nodes_[item].checked = mark == 'x' || mark == 'X';
  advance_offset(static_cast<int>(rest + 1 - offset_), false);
  return true;
}

bool BlockParser::try_footnote_definition(NodeId& container) {
  std::size_t i = first_nonspace_ + 2;
  std::size_t label_start = i;
  while (i < line_.size() && i - label_start < 999) {
    char c = line_[i];
    if (c == ']' || c == '[' || is_whitespace(c)) break;
    if (c == '\\' && i + 1 < line_.size() && is_ascii_punct(line_[i + 1])) {
      i += 2;
      continue;
    }
    ++i;
  }
  if (i == label_start || i + 1 >= line_.size() || line_[i] != ']' || line_[i + 1] != ':') return false;
  std::string_view label = line_.substr(label_start, i - label_start);
  std::uint32_t start = src_pos(first_nonspace_);
  NodeId def = add_block(container, NodeType::FootnoteDefinition, start);
  Node& node = nodes_[def];
  node.end = src_pos(i + 2);
  std::string key = normalize_label(label);
  std::string_view saved_label = save_unescaped(tree_, label, scratch_);
  std::string_view identifier = tree_.strings.save(key);
  NodeDetails& details = details_of(tree_, nodes_, def);
  details.label = saved_label;
  details.identifier = identifier;
  footnote_labels_.insert(std::move(key));
  advance_offset(static_cast<int>(i + 2 - offset_), false);
  while (is_space_or_tab(peek(offset_))) advance_offset(1, true);
  container = def;
  return true;
}

// ---------------------------------------------------------------------------------------------------
// Tables

struct Cell {
  std::size_t start;          // the cell, from its leading pipe (if any)
  std::size_t end;            // up to the next pipe (the last cell includes a trailing pipe)
  std::size_t content_start;  // trimmed content
  std::size_t content_end;
};

// Splits a table row into cells at unescaped pipes.
void split_row(std::string_view line, std::size_t from, std::vector<Cell>& cells) {
  cells.clear();
  std::size_t end = line.size();
  while (end > from && is_space_or_tab(line[end - 1])) --end;
  std::size_t i = from;
  std::size_t cell_start = from;
  bool leading_pipe = i < end && line[i] == '|';
  if (leading_pipe) ++i;
  std::size_t content_from = i;
  while (true) {
    std::size_t j = content_from;
    while (j < end && line[j] != '|') {
      if (line[j] == '\\' && j + 1 < end) ++j;
      ++j;
    }
    Cell cell{cell_start, j, content_from, j};
    while (cell.content_start < cell.content_end && is_space_or_tab(line[cell.content_start]))
      ++cell.content_start;
    while (cell.content_end > cell.content_start && is_space_or_tab(line[cell.content_end - 1]))
      --cell.content_end;
    if (j >= end) {
      // No trailing pipe: the last cell must not be empty unless it is the only one.
      if (cell.content_start < cell.content_end || cells.empty() || j > content_from) cells.push_back(cell);
      break;
    }
    // A pipe at j.
    if (j + 1 >= end) {
      cell.end = j + 1;
      cells.push_back(cell);
      break;
    }
    cells.push_back(cell);
    cell_start = j;
    content_from = j + 1;
  }
}

bool parse_delimiter_row(std::string_view line, std::size_t from, std::vector<Align>& align) {
  std::vector<Cell> cells;
  split_row(line, from, cells);
  if (cells.empty()) return false;
  bool has_pipe = line.find('|', from) != std::string_view::npos;
  align.clear();
  for (const Cell& cell : cells) {
    std::string_view c = line.substr(cell.content_start, cell.content_end - cell.content_start);
    if (c.empty()) return false;
    bool left = c.front() == ':';
    bool right = c.back() == ':';
    std::size_t a = left ? 1 : 0;
    std::size_t b = c.size() - (right ? 1 : 0);
    if (a >= b) return false;
    for (std::size_t k = a; k < b; ++k) {
      if (c[k] != '-') return false;
    }
    align.push_back(left && right ? Align::Center : left ? Align::Left : right ? Align::Right : Align::None);
  }
  return has_pipe || cells.size() > 1;
}

bool BlockParser::try_table(NodeId& container) {
  NodeId para = container;
  BlockState& ps = state_[para];
  if (ps.lines_begin == ps.lines_end) return false;
  std::vector<Align> align;
  if (!parse_delimiter_row(line_, first_nonspace_, align)) return false;
  // The header row is the paragraph's last line.
  LineSeg header = lines_[ps.lines_end - 1];
  if (header.virtual_spaces != 0) return false;
  header.start = first_nonspace_at(header);
  std::string_view header_line = src_.substr(header.start, header.end - header.start);
  std::vector<Cell> cells;
  split_row(header_line, 0, cells);
  if (cells.size() != align.size()) return false;
  if (header_line.find('|') == std::string_view::npos &&
      line_.find('|', first_nonspace_) == std::string_view::npos) {
    return false;
  }
  NodeId parent = nodes_[para].parent;
  ps.lines_end -= 1;
  if (ps.lines_begin == ps.lines_end) {
    ps.open = false;
    unlink(nodes_, para);
    tip_ = parent;
  } else {
    nodes_[para].end = lines_[ps.lines_end - 1].end;
    close_block(para);
  }
  NodeId table = add_block(parent, NodeType::Table, header.start);
  details_of(tree_, nodes_, table).align = align;
  // The header row.
  std::string_view saved_line = line_;
  std::uint32_t saved_start = line_start_;
  std::uint32_t saved_eol = eol_end_;
  std::size_t saved_offset = offset_;
  line_ = header_line;
  line_start_ = header.start;
  offset_ = 0;
  add_table_row(table);
  line_ = saved_line;
  line_start_ = saved_start;
  eol_end_ = saved_eol;
  offset_ = saved_offset;
  nodes_[table].end = line_content_end();
  advance_offset(static_cast<int>(line_.size() - offset_), false);
  container = table;
  line_consumed_ = true;
  return true;
}

void BlockParser::add_table_row(NodeId table) {
  std::size_t from = offset_;
  while (from < line_.size() && is_space_or_tab(line_[from])) ++from;
  std::vector<Cell> cells;
  split_row(line_, from, cells);
  if (cells.empty()) return;
  cells.back().end = line_.size();  // trailing whitespace belongs to the last cell
  NodeId row = add_node(nodes_, NodeType::TableRow, src_pos(cells.front().start), src_pos(cells.back().end));
  append_child(nodes_, table, row);
  for (const Cell& cell : cells) {
    NodeId id = add_node(nodes_, NodeType::TableCell, src_pos(cell.start), src_pos(cell.end));
    append_child(nodes_, row, id);
    if (cell.content_end > cell.content_start) {
      std::uint32_t begin = static_cast<std::uint32_t>(lines_.size());
      lines_.push_back(
          {src_pos(cell.content_start), src_pos(cell.content_end), src_pos(cell.content_end), 0});
      jobs_.push_back({id, begin, begin + 1, true});
    }
  }
  state_.resize(nodes_.size());
  for (NodeId id = row; id < nodes_.size(); ++id) state_[id].open = false;
  nodes_[table].end = nodes_[row].end;
}

// ---------------------------------------------------------------------------------------------------
// Finishing leaves

// Moves link reference definitions at the start of a paragraph out into definition nodes before it.
void BlockParser::extract_definitions(NodeId paragraph) {
  const BlockState& s = state_[paragraph];
  if (s.defs_done || s.lines_begin == s.lines_end) return;
  std::uint32_t begin = s.lines_begin;
  std::uint32_t count = s.lines_end - s.lines_begin;
  build_content(src_, &lines_[begin], count, buffer_, content_);
  std::string_view text = content_.text;
  // Content offset of the start of each line.
  std::vector<std::size_t> line_starts;
  line_starts.reserve(count + 1);
  {
    std::size_t pos = 0;
    for (std::uint32_t k = 0; k < count; ++k) {
      line_starts.push_back(pos);
      const LineSeg& l = lines_[begin + k];
      pos += l.virtual_spaces + (l.end - l.start) + (k + 1 < count ? l.eol_end - l.end : 0);
    }
    line_starts.push_back(pos);
  }
  auto line_end_at = [&](std::size_t p) -> std::size_t {
    // Skips trailing spaces; returns the position after the line ending, or npos if other text follows.
    while (p < text.size() && is_space_or_tab(text[p])) ++p;
    if (p >= text.size()) return text.size();
    if (text[p] == '\n') return p + 1;
    if (text[p] == '\r') return (p + 1 < text.size() && text[p + 1] == '\n') ? p + 2 : p + 1;
    return std::string_view::npos;
  };
  std::size_t pos = 0;
  std::uint32_t consumed_lines = 0;
  while (true) {
    while (pos < text.size() && is_space_or_tab(text[pos])) ++pos;
    if (pos >= text.size() || text[pos] != '[') break;
    std::size_t label_end = scan_link_label(text, pos);
    if (label_end == std::string_view::npos || label_end >= text.size() || text[label_end] != ':') break;
    bool nl;
    std::size_t dest_pos = skip_spaces_one_line(text, label_end + 1, nl);
    Destination dest = scan_link_destination(text, dest_pos);
    if (dest.end == std::string_view::npos) break;
    if (dest.end == dest_pos) break;
    std::size_t def_end;    // content position after the definition's line
    std::size_t last_char;  // end of the definition's text
    std::size_t title_start = 0, title_end = 0;
    bool has_title = false;
    std::size_t after_dest_space = skip_spaces_one_line(text, dest.end, nl);
    std::size_t title_end_pos =
        after_dest_space > dest.end ? scan_link_title(text, after_dest_space) : std::string_view::npos;
    std::size_t after =
        title_end_pos != std::string_view::npos ? line_end_at(title_end_pos) : std::string_view::npos;
    if (after != std::string_view::npos) {
      has_title = true;
      title_start = after_dest_space + 1;
      title_end = title_end_pos - 1;
      def_end = after;
      last_char = title_end_pos;
    } else {
      after = line_end_at(dest.end);
      if (after == std::string_view::npos) break;
      def_end = after;
      last_char = dest.end;
    }
    // Trailing spaces on the definition's last line belong to it.
    while (last_char < text.size() && is_space_or_tab(text[last_char])) ++last_char;
    std::string_view label = text.substr(pos + 1, label_end - 1 - (pos + 1));
    std::string key = normalize_label(label);
    if (key.empty()) break;
    NodeId def =
        add_node(nodes_, NodeType::Definition, content_.to_source(pos), content_.to_source_end(last_char));
    state_.resize(nodes_.size());
    state_[def].open = false;
    std::string_view saved_label = save_unescaped(tree_, label, scratch_);
    std::string_view identifier = tree_.strings.save(key);
    std::string_view url =
        save_unescaped(tree_, text.substr(dest.value_start, dest.value_end - dest.value_start), scratch_);
    std::optional<std::string_view> title;
    if (has_title) title = save_unescaped(tree_, text.substr(title_start, title_end - title_start), scratch_);
    NodeDetails& details = details_of(tree_, nodes_, def);
    details.label = saved_label;
    details.identifier = identifier;
    details.url = url;
    details.title = title;
    insert_before(nodes_, paragraph, def);
    link_labels_.insert(std::move(key));
    pos = def_end;
    while (consumed_lines < count && line_starts[consumed_lines] < pos) ++consumed_lines;
  }
  BlockState& after = state_[paragraph];  // the vector may have grown
  if (pos < text.size()) after.defs_done = true;
  after.lines_begin += consumed_lines;
  if (consumed_lines > 0 && after.lines_begin < after.lines_end) {
    nodes_[paragraph].start = first_nonspace_at(lines_[after.lines_begin]);
  }
  after.restart = after.lines_begin == after.lines_end;
}

void BlockParser::finish_paragraph(NodeId paragraph) {
  extract_definitions(paragraph);
  BlockState& s = state_[paragraph];
  if (s.lines_begin == s.lines_end) {
    unlink(nodes_, paragraph);
    return;
  }
  jobs_.push_back({paragraph, s.lines_begin, s.lines_end, false, s.task});
}

void BlockParser::finish_code(NodeId code) {
  BlockState& s = state_[code];
  Node& node = nodes_[code];
  std::uint32_t begin = s.lines_begin;
  std::uint32_t end = s.lines_end;
  if (!s.fenced) {
    // Trailing lines with nothing after the indentation are not part of the value; the block still
    // reaches the end of the last line that was indented (as in the reference parser).
    while (end > begin && lines_[end - 1].end == lines_[end - 1].start && lines_[end - 1].virtual_spaces == 0)
      --end;
    if (end > begin) node.end = std::max(lines_[end - 1].end, s.last_indented_end);
  }
  buffer_.clear();
  for (std::uint32_t k = begin; k < end; ++k) {
    const LineSeg& l = lines_[k];
    buffer_.append(l.virtual_spaces, ' ');
    buffer_.append(src_.substr(l.start, l.end - l.start));
    if (k + 1 < end) buffer_.append(src_.substr(l.end, l.eol_end - l.end));
  }
  if (buffer_.find('\0') != std::string::npos) {
    scratch_.clear();
    append_without_nul(scratch_, buffer_);
    buffer_.swap(scratch_);
  }
  node.value = tree_.strings.save(buffer_);
}

void BlockParser::finish_html(NodeId html) {
  BlockState& s = state_[html];
  Node& node = nodes_[html];
  buffer_.clear();
  for (std::uint32_t k = s.lines_begin; k < s.lines_end; ++k) {
    const LineSeg& l = lines_[k];
    buffer_.append(l.virtual_spaces, ' ');
    buffer_.append(src_.substr(l.start, l.end - l.start));
    if (k + 1 < s.lines_end || s.unclosed_at_end) buffer_.append(src_.substr(l.end, l.eol_end - l.end));
  }
  node.value = tree_.strings.save(buffer_);
  if (s.lines_begin < s.lines_end) node.start = std::min(node.start, lines_[s.lines_begin].start);
}

// Whether a block ends with a blank line, looking into the last items of lists. A closed list keeps the
// answer for its last item, so nested lists are not walked again and again.
bool ends_with_blank_line(const NodeArena& nodes, const std::vector<BlockState>& state, NodeId id) {
  while (id != kNoNode) {
    if (state[id].last_line_blank) return true;
    NodeType t = nodes[id].type;
    if (t == NodeType::List && !state[id].open) return state[id].items_end_blank;
    if (t != NodeType::List && t != NodeType::ListItem) return false;
    id = nodes[id].last_child;
  }
  return false;
}

void BlockParser::finish_list(NodeId list) {
  Node& node = nodes_[list];
  bool list_spread = false;
  bool any_item_spread = false;
  for (NodeId item = node.first_child; item != kNoNode; item = nodes_[item].next_sibling) {
    Node& it = nodes_[item];
    if (it.next_sibling != kNoNode && ends_with_blank_line(nodes_, state_, item)) list_spread = true;
    for (NodeId sub = it.first_child; sub != kNoNode; sub = nodes_[sub].next_sibling) {
      if (nodes_[sub].next_sibling != kNoNode && ends_with_blank_line(nodes_, state_, sub)) {
        it.spread = true;
        any_item_spread = true;
      }
    }
  }
  node.spread = list_spread;
  node.loose = list_spread || any_item_spread;
  state_[list].items_end_blank = ends_with_blank_line(nodes_, state_, node.last_child);
}

// ---------------------------------------------------------------------------------------------------
// Frontmatter and the main loop

// A YAML block fenced by `---` lines at the very start (after an optional byte-order mark).
bool BlockParser::frontmatter() {
  std::size_t start = src_.substr(0, 3) == "\xef\xbb\xbf" ? 3 : 0;
  auto line_at = [&](std::size_t pos, std::size_t& next) {
    std::size_t e = pos;
    while (e < src_.size() && !is_line_end(src_[e])) ++e;
    next = e;
    if (next < src_.size())
      next += (src_[next] == '\r' && next + 1 < src_.size() && src_[next + 1] == '\n') ? 2 : 1;
    return src_.substr(pos, e - pos);
  };
  std::size_t next;
  std::string_view first = line_at(start, next);
  if (first != "---" || next >= src_.size() + 1) return false;
  if (next == start + 3) return false;  // no line ending after the opening fence
  std::size_t pos = next;
  std::size_t value_start = next;
  while (pos < src_.size()) {
    std::size_t after;
    std::string_view line = line_at(pos, after);
    std::string_view trimmed = line;
    while (!trimmed.empty() && is_space_or_tab(trimmed.back())) trimmed.remove_suffix(1);
    if (trimmed == "---") {
      NodeId yaml = add_node(nodes_, NodeType::Yaml, static_cast<std::uint32_t>(start),
                             static_cast<std::uint32_t>(pos + line.size()));
      append_child(nodes_, kRoot, yaml);
      state_.resize(nodes_.size());
      state_[yaml].open = false;
      std::size_t value_end = pos;
      // The value stops before the line ending that precedes the closing fence.
      if (value_end > value_start && src_[value_end - 1] == '\n') --value_end;
      if (value_end > value_start && src_[value_end - 1] == '\r') --value_end;
      if (pos == value_start) value_end = value_start;
      nodes_[yaml].value = src_.substr(value_start, value_end - value_start);
      line_number_ = 0;
      line_start_ = static_cast<std::uint32_t>(after);
      return true;
    }
    pos = after;
  }
  return false;
}

void BlockParser::run() {
  Node& root = nodes_[kRoot];
  state_.resize(1);
  std::size_t pos = src_.substr(0, 3) == "\xef\xbb\xbf" ? 3 : 0;
  root.start = static_cast<std::uint32_t>(pos);
  root.end = static_cast<std::uint32_t>(src_.size());
  line_start_ = static_cast<std::uint32_t>(pos);
  if (frontmatter()) pos = line_start_;
  while (pos < src_.size()) {
    std::size_t e = pos;
    while (e < src_.size() && !is_line_end(src_[e])) ++e;
    std::size_t next = e;
    if (next < src_.size())
      next += (src_[next] == '\r' && next + 1 < src_.size() && src_[next + 1] == '\n') ? 2 : 1;
    line_ = src_.substr(pos, e - pos);
    line_start_ = static_cast<std::uint32_t>(pos);
    eol_end_ = static_cast<std::uint32_t>(next);
    ++line_number_;
    process_line();
    pos = next;
  }
  // The source ends inside fenced code or raw HTML that an empty line would continue: they reach the
  // end of the source.
  {
    NodeId id = kRoot;
    while (true) {
      NodeId last = nodes_[id].last_child;
      if (last == kNoNode || !is_open(last)) break;
      NodeType t = nodes_[last].type;
      if (t == NodeType::Blockquote) break;
      if (t == NodeType::ListItem && nodes_[last].first_child == kNoNode) break;
      if (t == NodeType::Code && state_[last].fenced) {
        nodes_[last].end = static_cast<std::uint32_t>(src_.size());
        break;
      }
      if (t == NodeType::Html && state_[last].html_kind <= 5) {
        state_[last].unclosed_at_end = true;
        nodes_[last].end = static_cast<std::uint32_t>(src_.size());
        break;
      }
      if (t != NodeType::List && t != NodeType::ListItem && t != NodeType::FootnoteDefinition) break;
      id = last;
    }
  }
  while (tip_ != kRoot) close_block(tip_);
  close_block(kRoot);
  nodes_[kRoot].end = static_cast<std::uint32_t>(src_.size());

  // Inline content, now that every definition is known.
  InlineContext context{tree_, nodes_, link_labels_, footnote_labels_};
  for (const InlineJob& job : jobs_) {
    if (job.table_cell) {
      build_cell_content(src_, lines_[job.lines_begin], buffer_, content_);
    } else {
      build_content(src_, &lines_[job.lines_begin], job.lines_end - job.lines_begin, buffer_, content_);
    }
    // Trailing whitespace of the last line is not content.
    std::string_view text = content_.text;
    std::size_t keep = text.size();
    while (keep > 0 && is_space_or_tab(text[keep - 1])) --keep;
    content_.text = text.substr(0, keep);
    parse_inlines(context, job.node, content_);
    if (job.task) {
      NodeId first = nodes_[job.node].first_child;
      if (first != kNoNode && nodes_[first].type == NodeType::Text &&
          nodes_[first].start == lines_[job.lines_begin].start) {
        nodes_[job.node].start = nodes_[first].start;
      }
    }
  }
}

}  // namespace

Tree parse(std::string_view source) {
  Tree tree;
  tree.source = tree.strings.save(source);
  detail::NodeArena nodes;
  detail::add_node(nodes, NodeType::Root, 0, static_cast<std::uint32_t>(source.size()));
  BlockParser parser(tree, nodes);
  parser.run();
  detail::finish_tree(tree, nodes);
  return tree;
}

}  // namespace tovik::markdown
