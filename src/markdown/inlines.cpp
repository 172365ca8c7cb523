// The inline parser: code spans, emphasis and strikethrough (a delimiter stack), links and images (a
// bracket stack), autolinks, raw HTML, breaks, footnote references and text.
#include "markdown/inlines.hpp"

#include <array>
#include <unordered_map>
#include <vector>

#include "markdown/html.hpp"
#include "markdown/link_scan.hpp"
#include "markdown/text.hpp"
#include "markdown/tree_ops.hpp"

namespace tovik::markdown::detail {

namespace {

constexpr std::size_t npos = std::string_view::npos;
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

struct Delimiter {
  NodeId node;
  char ch;
  int length;           // delimiters left in the run
  int original_length;  // length of the whole run
  bool can_open;
  bool can_close;
  std::size_t prev;
  std::size_t next;
};

struct Bracket {
  NodeId node;      // the text node of `[` or `![`
  std::size_t pos;  // content offset of `[` (or `!`)
  bool image;
  bool active;
  std::size_t delimiter_bottom;  // last delimiter when the bracket was pushed
};

bool is_email_atext(char c) {
  return is_ascii_alnum(c) || c == '+' || c == '-' || c == '.' || c == '_';
}

class InlineParser {
 public:
  InlineParser(InlineContext& context, NodeId parent, const Content& content)
      : ctx_(context),
        tree_(context.tree),
        nodes_(context.nodes),
        content_(content),
        text_(content.text),
        parent_(parent) {
    base_ = static_cast<NodeId>(nodes_.size());
  }

  void run();

 private:
  // Nodes.
  NodeId make(NodeType type, std::size_t cstart, std::size_t cend) {
    std::uint32_t start = content_.to_source(cstart), end = content_.to_source_end(cend);
    if (!free_.empty()) {
      // Reuse the slot of a node that was used up (a spent delimiter run, a matched bracket).
      NodeId id = free_.back();
      free_.pop_back();
      nodes_[id] = Node{};
      nodes_[id].type = type;
      nodes_[id].start = start;
      nodes_[id].end = end;
      cstart_[id - base_] = static_cast<std::uint32_t>(cstart);
      cend_[id - base_] = static_cast<std::uint32_t>(cend);
      return id;
    }
    NodeId id = add_node(nodes_, type, start, end);
    cstart_.push_back(static_cast<std::uint32_t>(cstart));
    cend_.push_back(static_cast<std::uint32_t>(cend));
    return id;
  }
  void set_url(NodeId id, std::string_view url) { details_of(tree_, nodes_, id).url = url; }
  void set_label(NodeId id, std::string_view raw) {
    std::string_view label = save_unescaped(tree_, raw, scratch_);
    std::string_view identifier = tree_.strings.save(normalize_label(raw));
    NodeDetails& details = details_of(tree_, nodes_, id);
    details.label = label;
    details.identifier = identifier;
  }
  void discard(NodeId id) {
    unlink(nodes_, id);
    free_.push_back(id);
  }
  NodeId append(NodeType type, std::size_t cstart, std::size_t cend) {
    NodeId id = make(type, cstart, cend);
    append_child(nodes_, parent_, id);
    return id;
  }
  std::uint32_t& cstart(NodeId id) { return cstart_[id - base_]; }
  std::uint32_t& cend(NodeId id) { return cend_[id - base_]; }
  void flush_text(std::size_t upto) {
    if (upto > text_start_) append(NodeType::Text, text_start_, upto);
    text_start_ = upto;
  }

  // Constructs.
  void line_ending();
  void backslash();
  void code_span();
  bool angle_autolink();
  bool inline_html();
  void open_bracket(bool image);
  bool footnote_call();
  std::size_t footnote_call_at(std::size_t at) const;
  void close_bracket();
  void delimiter_run();
  bool literal_autolink();
  void skip_plain();
  std::size_t email_end(std::size_t from) const;
  std::size_t www_or_url_end(std::size_t domain_start) const;
  std::size_t trail_end(std::size_t i) const;

  // Links.
  bool inline_link_tail(std::size_t after, std::size_t& end, std::size_t& dest_start, std::size_t& dest_end,
                        std::size_t& title_start, std::size_t& title_end, bool& has_title);
  void finish_link(std::size_t bracket_index, NodeType type, std::size_t end);
  bool label_defined(std::string_view raw) const;

  // Emphasis.
  void push_delimiter(NodeId node, char ch, int length, bool can_open, bool can_close);
  void remove_delimiter(std::size_t index);
  void process_emphasis(std::size_t bottom);
  std::size_t insert_emphasis(std::size_t opener, std::size_t closer);

  // Finishing.
  void finish();
  void link_literals_in_text();
  bool link_literals_possible() const;
  void split_literals(NodeId text);
  std::string_view decoded_text(std::size_t from, std::size_t to);
  std::string_view save(std::string_view text);

  InlineContext& ctx_;
  Tree& tree_;
  NodeArena& nodes_;
  const Content& content_;
  std::string_view text_;
  NodeId parent_;
  NodeId base_;
  std::vector<std::uint32_t> cstart_;
  std::vector<std::uint32_t> cend_;
  std::vector<NodeId> free_;  // unlinked nodes whose slots can be reused
  std::size_t pos_ = 0;
  std::size_t text_start_ = 0;

  std::vector<Delimiter> delimiters_;
  std::size_t last_delimiter_ = kNone;
  std::vector<Bracket> brackets_;
  std::vector<NodeId> images_;

  // Code span memo: the last position of a backtick run of each length, once a full scan has been made.
  std::unordered_map<std::size_t, std::size_t> backtick_runs_;
  bool scanned_backticks_ = false;
  HtmlScanMemo html_memo_;
  std::string scratch_;
};

void InlineParser::run() {
  const std::size_t n = text_.size();
  while (pos_ < n) {
    char c = text_[pos_];
    switch (c) {
      case '\n':
      case '\r':
        line_ending();
        break;
      case '\\':
        backslash();
        break;
      case '`':
        code_span();
        break;
      case '<':
        if (!angle_autolink() && !inline_html()) ++pos_;
        break;
      case '[':
        if (!footnote_call()) open_bracket(false);
        break;
      case '!':
        if (pos_ + 1 < n && text_[pos_ + 1] == '[' && !footnote_call_at(pos_ + 1)) {
          open_bracket(true);
        } else {
          ++pos_;
        }
        break;
      case ']':
        close_bracket();
        break;
      case '_':
        if (literal_autolink()) break;  // an email address may start with '_'
        delimiter_run();
        break;
      case '*':
      case '~':
        delimiter_run();
        break;
      default:
        if (!literal_autolink()) skip_plain();
        break;
    }
  }
  flush_text(n);
  process_emphasis(kNone);
  finish();
}

// ---------------------------------------------------------------------------------------------------
// Line endings, escapes, code spans

void InlineParser::line_ending() {
  // Two or more spaces before a line ending make a hard break, unless the whitespace there has a tab
  // (as the reference parser reads it).
  std::size_t spaces = 0;
  bool tab = false;
  while (pos_ - spaces > text_start_ && is_space_or_tab(text_[pos_ - spaces - 1])) {
    tab = tab || text_[pos_ - spaces - 1] == '\t';
    ++spaces;
  }
  if (tab) spaces = 0;
  std::size_t after =
      pos_ + ((text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ? 2 : 1);
  if (spaces >= 2) {
    flush_text(pos_ - spaces);
    append(NodeType::Break, pos_ - spaces, after);
    while (after < text_.size() && is_space_or_tab(text_[after])) ++after;
    text_start_ = after;
  }
  pos_ = after;
  // Leading whitespace of the next line stays in the text run (the value drops it).
  while (pos_ < text_.size() && is_space_or_tab(text_[pos_])) ++pos_;
}

void InlineParser::backslash() {
  if (pos_ + 1 < text_.size() && is_line_end(text_[pos_ + 1])) {
    flush_text(pos_);
    std::size_t after = pos_ + 1;
    after += (text_[after] == '\r' && after + 1 < text_.size() && text_[after + 1] == '\n') ? 2 : 1;
    append(NodeType::Break, pos_, after);
    while (after < text_.size() && is_space_or_tab(text_[after])) ++after;
    text_start_ = after;
    pos_ = after;
    return;
  }
  if (pos_ + 1 < text_.size() && is_ascii_punct(text_[pos_ + 1])) {
    pos_ += 2;
  } else {
    ++pos_;
  }
}

void InlineParser::code_span() {
  std::size_t start = pos_;
  std::size_t run = 0;
  while (pos_ < text_.size() && text_[pos_] == '`') {
    ++pos_;
    ++run;
  }
  // Find a closing run of the same length.
  std::size_t close = npos;
  bool possible = true;
  if (scanned_backticks_) {
    auto it = backtick_runs_.find(run);
    possible = it != backtick_runs_.end() && it->second >= pos_;
  }
  if (possible) {
    std::size_t i = pos_;
    while (i < text_.size()) {
      std::size_t tick = text_.find('`', i);
      if (tick == npos) break;
      std::size_t j = tick;
      while (j < text_.size() && text_[j] == '`') ++j;
      backtick_runs_[j - tick] = tick;
      if (j - tick == run) {
        close = tick;
        break;
      }
      i = j;
    }
    if (close == npos) scanned_backticks_ = true;
  }
  if (close == npos) return;  // the run is literal text
  flush_text(start);
  NodeId code = append(NodeType::InlineCode, start, close + run);
  std::string_view inner = text_.substr(pos_, close - pos_);
  auto is_pad = [](char ch) { return ch == ' ' || ch == '\n' || ch == '\r'; };
  if (inner.size() >= 2 && is_pad(inner.front()) && is_pad(inner.back()) &&
      inner.find_first_not_of(" \r\n") != npos) {
    std::size_t cut_front = (inner.substr(0, 2) == "\r\n") ? 2 : 1;
    std::size_t cut_back = (inner.size() >= 2 && inner.substr(inner.size() - 2) == "\r\n") ? 2 : 1;
    if (cut_front + cut_back <= inner.size())
      inner = inner.substr(cut_front, inner.size() - cut_front - cut_back);
  }
  // A paragraph's continuation lines lose their leading whitespace, inside code spans too.
  bool indented_line = false;
  for (std::size_t nl = inner.find('\n'); nl != npos && !indented_line; nl = inner.find('\n', nl + 1)) {
    indented_line = nl + 1 < inner.size() && (inner[nl + 1] == ' ' || inner[nl + 1] == '\t');
  }
  if (indented_line) {
    std::string stripped;
    stripped.reserve(inner.size());
    for (std::size_t i = 0; i < inner.size(); ++i) {
      stripped.push_back(inner[i]);
      if (inner[i] != '\n') continue;
      while (i + 1 < inner.size() && (inner[i + 1] == ' ' || inner[i + 1] == '\t')) ++i;
    }
    scratch_.clear();
    append_without_nul(scratch_, stripped);
    nodes_[code].value = tree_.strings.save(scratch_);
  } else if (inner.find('\0') != npos) {
    scratch_.clear();
    append_without_nul(scratch_, inner);
    nodes_[code].value = tree_.strings.save(scratch_);
  } else {
    nodes_[code].value = save(inner);
  }
  pos_ = close + run;
  text_start_ = pos_;
}

// ---------------------------------------------------------------------------------------------------
// Autolinks and raw HTML

bool InlineParser::angle_autolink() {
  std::size_t i = pos_ + 1;
  const std::size_t n = text_.size();
  // URI autolink: scheme ':' then no spaces, controls or angle brackets.
  std::size_t scheme_end = i;
  while (scheme_end < n && (is_ascii_alnum(text_[scheme_end]) || text_[scheme_end] == '+' ||
                            text_[scheme_end] == '.' || text_[scheme_end] == '-')) {
    ++scheme_end;
  }
  bool is_email = false;
  std::size_t end = npos;
  if (i < n && is_ascii_alpha(text_[i]) && scheme_end - i >= 2 && scheme_end - i <= 32 && scheme_end < n &&
      text_[scheme_end] == ':') {
    std::size_t j = scheme_end + 1;
    while (j < n && text_[j] != '>' && text_[j] != '<' &&
           !is_ascii_control(static_cast<unsigned char>(text_[j])) && text_[j] != ' ') {
      ++j;
    }
    if (j < n && text_[j] == '>') end = j;
  }
  if (end == npos) {
    // Email autolink.
    std::size_t j = i;
    while (j < n &&
           (is_ascii_alnum(text_[j]) || std::string_view(".!#$%&'*+/=?^_`{|}~-").find(text_[j]) != npos))
      ++j;
    if (j > i && j < n && text_[j] == '@') {
      std::size_t k = j + 1;
      bool ok = true;
      while (true) {
        std::size_t label_start = k;
        while (k < n && (is_ascii_alnum(text_[k]) || text_[k] == '-') && k - label_start < 63) ++k;
        if (k == label_start || text_[label_start] == '-' || text_[k - 1] == '-') {
          ok = false;
          break;
        }
        if (k < n && text_[k] == '.') {
          ++k;
          continue;
        }
        break;
      }
      if (ok && k < n && text_[k] == '>') {
        end = k;
        is_email = true;
      }
    }
  }
  if (end == npos) return false;
  flush_text(pos_);
  NodeId link = append(NodeType::Link, pos_, end + 1);
  std::string_view address = text_.substr(i, end - i);
  if (is_email) {
    scratch_.assign("mailto:");
    scratch_.append(address);
    set_url(link, tree_.strings.save(scratch_));
  } else {
    set_url(link, save(address));
  }
  NodeId label = make(NodeType::Text, i, end);
  nodes_[label].value = save(address);
  append_child(nodes_, link, label);
  pos_ = end + 1;
  text_start_ = pos_;
  return true;
}

bool InlineParser::inline_html() {
  std::size_t length = scan_inline_html(text_, pos_, html_memo_);
  if (length == 0) return false;
  flush_text(pos_);
  NodeId html = append(NodeType::Html, pos_, pos_ + length);
  nodes_[html].value = save(text_.substr(pos_, length));
  pos_ += length;
  text_start_ = pos_;
  return true;
}

// GFM autolink literals: www. links, http(s):// links and email addresses written in plain text.
bool InlineParser::literal_autolink() {
  // No literal inside an unclosed bracket: the bracket may still become a link.
  if (!brackets_.empty()) return false;
  char c = text_[pos_];
  std::size_t n = text_.size();
  char before = pos_ > 0 ? text_[pos_ - 1] : '\n';
  std::size_t end = npos;
  int prefix = 0;  // 1: the url gets http://, 2: it gets mailto:
  if ((c == 'w' || c == 'W') && pos_ + 4 <= n && ascii_lower(text_[pos_ + 1]) == 'w' &&
      ascii_lower(text_[pos_ + 2]) == 'w' && text_[pos_ + 3] == '.' &&
      (pos_ == 0 || is_whitespace(before) || before == '(' || before == '*' || before == '_' ||
       before == '~' || before == '[' || before == ']')) {
    end = www_or_url_end(pos_ + 4);
    prefix = 1;
  } else if ((c == 'h' || c == 'H') && (pos_ == 0 || !is_ascii_alpha(before))) {
    auto lower_is = [&](std::string_view word) {
      if (pos_ + word.size() > n) return false;
      for (std::size_t m = 0; m < word.size(); ++m) {
        if (ascii_lower(text_[pos_ + m]) != word[m]) return false;
      }
      return true;
    };
    std::size_t scheme = lower_is("https://") ? 8 : lower_is("http://") ? 7 : 0;
    if (scheme != 0) end = www_or_url_end(pos_ + scheme);
  }
  if (end == npos && is_email_atext(c) && (pos_ == 0 || !(is_email_atext(before) || before == '/'))) {
    end = email_end(pos_);
    prefix = 2;
  }
  if (end == npos || end <= pos_) return false;
  flush_text(pos_);
  NodeId link = append(NodeType::Link, pos_, end);
  std::string_view literal = text_.substr(pos_, end - pos_);
  if (prefix == 0) {
    set_url(link, save(literal));
  } else {
    scratch_.assign(prefix == 1 ? "http://" : "mailto:");
    scratch_.append(literal);
    set_url(link, tree_.strings.save(scratch_));
  }
  NodeId label = make(NodeType::Text, pos_, end);
  nodes_[label].value = save(literal);
  append_child(nodes_, link, label);
  pos_ = end;
  text_start_ = pos_;
  return true;
}

// Steps over plain text: a run of ASCII letters and digits (no literal autolink starts inside a word),
// or one other character.
void InlineParser::skip_plain() {
  std::size_t n = text_.size();
  if (is_ascii_alnum(text_[pos_])) {
    while (pos_ < n && is_ascii_alnum(text_[pos_])) ++pos_;
    return;
  }
  std::size_t len;
  decode_utf8(text_, pos_, len);
  pos_ += len;
}

// Trailing punctuation after a literal's domain or path: the position where a run of trailing
// punctuation starting at `i` ends in an end of the literal (whitespace, `<`, the end), or npos when
// other text follows and the punctuation belongs to the literal.
std::size_t InlineParser::trail_end(std::size_t i) const {
  std::size_t n = text_.size();
  while (i < n) {
    char c = text_[i];
    switch (c) {
      case '!':
      case '"':
      case '\'':
      case ')':
      case '*':
      case ',':
      case '.':
      case ':':
      case ';':
      case '?':
      case '_':
      case '~':
        ++i;
        continue;
      case '&': {
        std::size_t k = i + 1;
        while (k < n && is_ascii_alpha(text_[k])) ++k;
        if (k == i + 1 || k >= n || text_[k] != ';') return npos;
        i = k + 1;
        continue;
      }
      case ']':
        ++i;
        if (i >= n || text_[i] == '(' || text_[i] == '[' || is_whitespace(text_[i])) return i;
        continue;
      case '<':
        return i;
      default:
        break;
    }
    if (is_whitespace(c)) return i;
    if (static_cast<unsigned char>(c) >= 0x80) {
      std::size_t len;
      if (is_unicode_whitespace_code(decode_utf8(text_, i, len))) return i;
    }
    return npos;
  }
  return i;
}

// The end of a www. or http(s):// literal whose domain starts at `domain_start`, or npos.
std::size_t InlineParser::www_or_url_end(std::size_t domain_start) const {
  std::size_t n = text_.size();
  std::size_t i = domain_start;
  bool underscore_last = false, underscore_before_last = false, seen = false;
  while (i < n) {
    char c = text_[i];
    if (c == '.' || c == '_') {
      if (trail_end(i) != npos) break;
      if (c == '_') {
        underscore_last = true;
      } else {
        underscore_before_last = underscore_last;
        underscore_last = false;
      }
      ++i;
      continue;
    }
    std::size_t len = 1;
    std::uint32_t code = static_cast<unsigned char>(c);
    if (code >= 0x80) code = decode_utf8(text_, i, len);
    if (is_unicode_whitespace_code(code) || (c != '-' && is_punctuation_code(code))) break;
    if (code == '\n' || code == '\r') break;
    seen = true;
    i += len;
  }
  if (!seen || underscore_last || underscore_before_last) return npos;
  // The path: anything up to whitespace, without trailing punctuation.
  std::size_t open = 0, close = 0;
  while (i < n) {
    char c = text_[i];
    if (c == '(') {
      ++open;
      ++i;
      continue;
    }
    if (c == ')' && close < open) {
      ++close;
      ++i;
      continue;
    }
    if (c == '!' || c == '"' || c == '&' || c == '\'' || c == ')' || c == '*' || c == ',' || c == '.' ||
        c == ':' || c == ';' || c == '<' || c == '?' || c == ']' || c == '_' || c == '~') {
      if (trail_end(i) != npos) break;
      if (c == ')') ++close;
      ++i;
      continue;
    }
    if (is_whitespace(c)) break;
    std::size_t len = 1;
    if (static_cast<unsigned char>(c) >= 0x80 && is_unicode_whitespace_code(decode_utf8(text_, i, len)))
      break;
    i += len;
  }
  return i;
}

// The end of an email literal starting at `from`, or npos.
std::size_t InlineParser::email_end(std::size_t from) const {
  std::size_t n = text_.size();
  std::size_t i = from;
  while (i < n && is_email_atext(text_[i])) ++i;
  if (i == from || i >= n || text_[i] != '@') return npos;
  ++i;
  bool data = false, dot = false;
  while (i < n) {
    char c = text_[i];
    if (c == '.' && i + 1 < n && is_ascii_alnum(text_[i + 1])) {
      dot = true;
      ++i;
      continue;
    }
    if (c == '-' || c == '_' || is_ascii_alnum(c)) {
      data = true;
      ++i;
      continue;
    }
    break;
  }
  if (!data || !dot || !is_ascii_alpha(text_[i - 1])) return npos;
  return i;
}

// ---------------------------------------------------------------------------------------------------
// Links and images

bool InlineParser::label_defined(std::string_view raw) const {
  if (ctx_.link_labels.empty()) return false;
  return ctx_.link_labels.count(normalize_label(raw)) != 0;
}

void InlineParser::open_bracket(bool image) {
  std::size_t start = pos_;
  std::size_t length = image ? 2 : 1;
  flush_text(start);
  NodeId node = append(NodeType::Text, start, start + length);
  brackets_.push_back({node, start, image, true, last_delimiter_});
  pos_ = start + length;
  text_start_ = pos_;
}

bool InlineParser::footnote_call() {
  std::size_t i = footnote_call_at(pos_);
  if (i == 0) return false;
  std::string_view raw = text_.substr(pos_ + 2, i - pos_ - 2);
  flush_text(pos_);
  NodeId ref = append(NodeType::FootnoteReference, pos_, i + 1);
  set_label(ref, raw);
  pos_ = i + 1;
  text_start_ = pos_;
  return true;
}

// If a call of a defined footnote (`[^label]`) starts at `at`, the position of its `]`; otherwise 0.
std::size_t InlineParser::footnote_call_at(std::size_t at) const {
  if (at + 2 >= text_.size() || text_[at] != '[' || text_[at + 1] != '^' || ctx_.footnote_labels.empty())
    return 0;
  std::size_t i = at + 2;
  while (i < text_.size() && i - at < 1001) {
    char c = text_[i];
    if (c == ']' || c == '[' || is_whitespace(c)) break;
    if (c == '\\' && i + 1 < text_.size() && is_ascii_punct(text_[i + 1])) {
      i += 2;
      continue;
    }
    ++i;
  }
  if (i == at + 2 || i >= text_.size() || text_[i] != ']') return 0;
  std::string_view raw = text_.substr(at + 2, i - at - 2);
  if (ctx_.footnote_labels.count(normalize_label(raw)) == 0) return 0;
  return i;
}

// After `](` ... `)`: whitespace, an optional destination, an optional title, whitespace, `)`.
bool InlineParser::inline_link_tail(std::size_t after, std::size_t& end, std::size_t& dest_start,
                                    std::size_t& dest_end, std::size_t& title_start, std::size_t& title_end,
                                    bool& has_title) {
  std::size_t n = text_.size();
  if (after >= n || text_[after] != '(') return false;
  auto skip_ws = [&](std::size_t i) {
    while (i < n && (is_space_or_tab(text_[i]) || is_line_end(text_[i]))) ++i;
    return i;
  };
  std::size_t i = skip_ws(after + 1);
  dest_start = dest_end = i;
  has_title = false;
  if (i < n && text_[i] == ')') {
    end = i + 1;
    return true;
  }
  Destination dest = scan_link_destination(text_, i);
  if (dest.end == npos) return false;
  dest_start = dest.value_start;
  dest_end = dest.value_end;
  std::size_t j = skip_ws(dest.end);
  if (j < n && text_[j] == ')') {
    end = j + 1;
    return true;
  }
  if (j == dest.end) return false;  // a title needs whitespace before it
  std::size_t t = scan_link_title(text_, j);
  if (t == npos) return false;
  std::size_t k = skip_ws(t);
  if (k >= n || text_[k] != ')') return false;
  has_title = true;
  title_start = j + 1;
  title_end = t - 1;
  end = k + 1;
  return true;
}

void InlineParser::close_bracket() {
  std::size_t close = pos_;
  if (brackets_.empty()) {
    ++pos_;
    return;
  }
  Bracket opener = brackets_.back();
  if (!opener.active) {
    brackets_.pop_back();
    ++pos_;
    return;
  }
  std::size_t label_start = opener.pos + (opener.image ? 2 : 1);
  std::string_view inner = text_.substr(label_start, close - label_start);
  std::size_t end, dest_start, dest_end, title_start = 0, title_end = 0;
  bool has_title;
  NodeType type;
  NodeId result = kNoNode;
  if (inline_link_tail(close + 1, end, dest_start, dest_end, title_start, title_end, has_title)) {
    flush_text(close);
    type = opener.image ? NodeType::Image : NodeType::Link;
    result = make(type, opener.pos, end);
    set_url(result, save_unescaped(tree_, text_.substr(dest_start, dest_end - dest_start), scratch_));
    if (has_title) {
      std::string_view title =
          save_unescaped(tree_, text_.substr(title_start, title_end - title_start), scratch_);
      details_of(tree_, nodes_, result).title = title;
    }
  } else {
    // A reference: full [text][label], collapsed [text][], or shortcut [text].
    std::size_t after = close + 1;
    ReferenceType kind = ReferenceType::Shortcut;
    std::string_view raw_label = inner;
    end = after;
    bool valid = true;
    if (after < text_.size() && text_[after] == '[') {
      std::size_t label_end = scan_link_label(text_, after);
      if (label_end != npos) {
        kind = ReferenceType::Full;
        raw_label = text_.substr(after + 1, label_end - after - 2);
        end = label_end;
      } else if (after + 1 < text_.size() && text_[after + 1] == ']') {
        kind = ReferenceType::Collapsed;
        end = after + 2;
      }
    }
    if (kind != ReferenceType::Full) {
      // The link text itself must be a valid label.
      std::size_t check = scan_link_label(text_, label_start - 1);
      valid = inner.size() <= 999 && check == close + 1;
    }
    if (!valid || !label_defined(raw_label)) {
      brackets_.pop_back();
      ++pos_;
      return;
    }
    flush_text(close);
    type = opener.image ? NodeType::ImageReference : NodeType::LinkReference;
    result = make(type, opener.pos, end);
    nodes_[result].reference_type = kind;
    set_label(result, raw_label);
  }
  // Move everything after the opener into the new node.
  NodeId first = nodes_[opener.node].next_sibling;
  if (first != kNoNode) move_range(nodes_, first, nodes_[parent_].last_child, result);
  insert_after(nodes_, opener.node, result);
  discard(opener.node);
  process_emphasis(opener.delimiter_bottom);
  brackets_.pop_back();
  if (type == NodeType::Image || type == NodeType::ImageReference) {
    images_.push_back(result);
  } else {
    // Links do not contain links: earlier link openers become plain text.
    for (std::size_t k = brackets_.size(); k-- > 0;) {
      if (brackets_[k].image) continue;
      if (!brackets_[k].active) break;
      brackets_[k].active = false;
    }
  }
  pos_ = end;
  text_start_ = pos_;
}

// ---------------------------------------------------------------------------------------------------
// Emphasis and strikethrough

void InlineParser::delimiter_run() {
  char ch = text_[pos_];
  std::size_t start = pos_;
  while (pos_ < text_.size() && text_[pos_] == ch) ++pos_;
  int length = static_cast<int>(pos_ - start);
  std::uint32_t before = decode_utf8_before(text_, start);
  std::uint32_t after = '\n';
  if (pos_ < text_.size()) {
    std::size_t len;
    after = decode_utf8(text_, pos_, len);
  }
  bool before_space = is_unicode_whitespace_code(before);
  bool after_space = is_unicode_whitespace_code(after);
  bool before_punct = is_punctuation_code(before);
  bool after_punct = is_punctuation_code(after);
  bool left_flanking = !after_space && (!after_punct || before_space || before_punct);
  bool right_flanking = !before_space && (!before_punct || after_space || after_punct);
  bool can_open, can_close;
  if (ch == '_') {
    can_open = left_flanking && (!right_flanking || before_punct);
    can_close = right_flanking && (!left_flanking || after_punct);
  } else {
    can_open = left_flanking;
    can_close = right_flanking;
  }
  if (ch == '~' && length > 2) can_open = can_close = false;
  flush_text(start);
  NodeId node = append(NodeType::Text, start, pos_);
  text_start_ = pos_;
  if (can_open || can_close) push_delimiter(node, ch, length, can_open, can_close);
}

void InlineParser::push_delimiter(NodeId node, char ch, int length, bool can_open, bool can_close) {
  delimiters_.push_back({node, ch, length, length, can_open, can_close, last_delimiter_, kNone});
  std::size_t index = delimiters_.size() - 1;
  if (last_delimiter_ != kNone) delimiters_[last_delimiter_].next = index;
  last_delimiter_ = index;
}

void InlineParser::remove_delimiter(std::size_t index) {
  Delimiter& d = delimiters_[index];
  if (d.prev != kNone) delimiters_[d.prev].next = d.next;
  if (d.next != kNone) {
    delimiters_[d.next].prev = d.prev;
  } else {
    last_delimiter_ = d.prev;
  }
}

int char_slot(char ch) {
  return ch == '*' ? 0 : ch == '_' ? 1 : 2;
}

void InlineParser::process_emphasis(std::size_t bottom) {
  // openers_bottom[char][closer length % 3][closer can open]: below it no opener can match.
  std::size_t openers_bottom[3][3][2];
  for (auto& a : openers_bottom)
    for (auto& b : a)
      for (auto& c : b) c = bottom;
  // The first delimiter above the bottom.
  std::size_t closer = last_delimiter_;
  std::size_t first = kNone;
  while (closer != kNone && closer != bottom) {
    first = closer;
    closer = delimiters_[closer].prev;
  }
  closer = first;
  while (closer != kNone) {
    Delimiter& c = delimiters_[closer];
    if (!c.can_close) {
      closer = c.next;
      continue;
    }
    int slot = char_slot(c.ch);
    std::size_t& floor = openers_bottom[slot][c.original_length % 3][c.can_open ? 1 : 0];
    std::size_t opener = c.prev;
    bool found = false;
    while (opener != kNone && opener != bottom && opener != floor) {
      Delimiter& o = delimiters_[opener];
      if (o.can_open && o.ch == c.ch) {
        if (c.ch == '~') {
          if (o.length == c.length) {
            found = true;
            break;
          }
        } else {
          bool odd_match = (c.can_open || o.can_close) && (o.original_length + c.original_length) % 3 == 0 &&
                           !(o.original_length % 3 == 0 && c.original_length % 3 == 0);
          if (!odd_match) {
            found = true;
            break;
          }
        }
      }
      opener = o.prev;
    }
    if (found) {
      closer = insert_emphasis(opener, closer);
      continue;
    }
    std::size_t old = closer;
    std::size_t next = delimiters_[old].next;
    floor = delimiters_[old].prev;
    if (!delimiters_[old].can_open) remove_delimiter(old);
    closer = next;
  }
  // Every delimiter above the bottom is now plain text.
  while (last_delimiter_ != kNone && last_delimiter_ != bottom) remove_delimiter(last_delimiter_);
}

std::size_t InlineParser::insert_emphasis(std::size_t opener_index, std::size_t closer_index) {
  Delimiter& o = delimiters_[opener_index];
  Delimiter& c = delimiters_[closer_index];
  int use = c.ch == '~' ? c.length : (o.length >= 2 && c.length >= 2 ? 2 : 1);
  NodeId on = o.node;
  NodeId cn = c.node;
  cend(on) -= use;
  cstart(cn) += use;
  o.length -= use;
  c.length -= use;
  NodeType type = c.ch == '~' ? NodeType::Delete : use == 1 ? NodeType::Emphasis : NodeType::Strong;
  NodeId emph = make(type, cend(on), cstart(cn));
  NodeId first = nodes_[on].next_sibling;
  if (first != cn) move_range(nodes_, first, nodes_[cn].prev_sibling, emph);
  insert_after(nodes_, on, emph);
  // Delimiters between the opener and the closer can no longer match.
  std::size_t d = c.prev;
  while (d != kNone && d != opener_index) {
    std::size_t prev = delimiters_[d].prev;
    remove_delimiter(d);
    d = prev;
  }
  // Refresh the spans of the shrunk delimiter texts.
  nodes_[on].end = content_.to_source_end(cend(on));
  nodes_[cn].start = content_.to_source(cstart(cn));
  if (delimiters_[opener_index].length == 0) {
    discard(on);
    remove_delimiter(opener_index);
  }
  std::size_t next = closer_index;
  if (delimiters_[closer_index].length == 0) {
    next = delimiters_[closer_index].next;
    discard(cn);
    remove_delimiter(closer_index);
  }
  return next;
}

// ---------------------------------------------------------------------------------------------------
// Text values and image descriptions

std::string_view InlineParser::save(std::string_view text) {
  const char* begin = tree_.source.data();
  const char* end = begin + tree_.source.size();
  if (text.data() >= begin && text.data() + text.size() <= end) return text;
  return tree_.strings.save(text);
}

// The value of text spanning content [from, to): escapes and references decoded, the whitespace around
// line endings dropped.
std::string_view InlineParser::decoded_text(std::size_t from, std::size_t to) {
  std::string_view raw = text_.substr(from, to - from);
  bool plain = raw.find_first_of(std::string_view("\\&\n\r\0", 5)) == npos;
  if (plain) return save(raw);
  scratch_.clear();
  std::size_t i = 0;
  while (i < raw.size()) {
    char c = raw[i];
    if (c == '\n' || c == '\r') {
      while (!scratch_.empty() && (scratch_.back() == ' ' || scratch_.back() == '\t')) scratch_.pop_back();
      scratch_.push_back(c);
      ++i;
      if (c == '\r' && i < raw.size() && raw[i] == '\n') {
        scratch_.push_back('\n');
        ++i;
      }
      while (i < raw.size() && is_space_or_tab(raw[i])) ++i;
      continue;
    }
    std::size_t run = i;
    while (run < raw.size() && raw[run] != '\n' && raw[run] != '\r') ++run;
    append_unescaped(scratch_, raw.substr(i, run - i));
    i = run;
  }
  return tree_.strings.save(scratch_);
}

void InlineParser::finish() {
  // Merge adjacent text nodes and give them their values.
  for (NodeId id = base_; id < nodes_.size(); ++id) {
    Node& node = nodes_[id];
    if (node.type != NodeType::Text || node.parent == kNoNode) continue;
    if (node.prev_sibling != kNoNode && nodes_[node.prev_sibling].type == NodeType::Text) continue;
    // Autolink labels already have their value.
    if (node.value.data() != nullptr) continue;
    NodeId last = id;
    bool contiguous = true;
    while (nodes_[last].next_sibling != kNoNode && nodes_[nodes_[last].next_sibling].type == NodeType::Text) {
      NodeId next = nodes_[last].next_sibling;
      if (cstart(next) != cend(last)) contiguous = false;
      last = next;
    }
    if (contiguous) {
      node.value = decoded_text(cstart(id), cend(last));
    } else {
      std::string joined;
      for (NodeId k = id;; k = nodes_[k].next_sibling) {
        joined.append(decoded_text(cstart(k), cend(k)));
        if (k == last) break;
      }
      node.value = tree_.strings.save(joined);
    }
    // Whitespace that ends one line or starts the next is outside the node.
    std::size_t from = cstart(id), to = cend(last);
    std::size_t p = from;
    while (p < to && is_space_or_tab(text_[p])) ++p;
    if (p > from && p < to && is_line_end(text_[p])) from = p;
    std::size_t q = to;
    while (q > from && is_space_or_tab(text_[q - 1])) --q;
    if (q < to && q > from && is_line_end(text_[q - 1])) to = q;
    node.start = content_.to_source(from);
    node.end = content_.to_source_end(to);
    while (nodes_[id].next_sibling != kNoNode && id != last) {
      NodeId next = nodes_[id].next_sibling;
      unlink(nodes_, next);
      if (next == last) break;
    }
    // Empty text (a delimiter run used up entirely never reaches here; this guards odd cases).
    if (node.start == node.end && node.value.empty()) unlink(nodes_, id);
  }
  link_literals_in_text();
  // Image descriptions become the alt text (inner images first: they were made first).
  std::vector<NodeId> stack;
  for (NodeId image : images_) {
    std::string alt;
    stack.clear();
    for (NodeId child = nodes_[image].last_child; child != kNoNode; child = nodes_[child].prev_sibling) {
      stack.push_back(child);
    }
    while (!stack.empty()) {
      NodeId k = stack.back();
      stack.pop_back();
      const Node& n = nodes_[k];
      if (n.type == NodeType::Text || n.type == NodeType::InlineCode) {
        alt.append(n.value);
      } else if (n.type == NodeType::Image || n.type == NodeType::ImageReference) {
        alt.append(tree_.details[n.details].alt);
      } else {
        for (NodeId child = n.last_child; child != kNoNode; child = nodes_[child].prev_sibling) {
          stack.push_back(child);
        }
      }
    }
    std::string_view saved = tree_.strings.save(alt);
    details_of(tree_, nodes_, image).alt = saved;
    Node& img = nodes_[image];
    while (img.first_child != kNoNode) unlink(nodes_, nodes_[image].first_child);
  }
}

// ---------------------------------------------------------------------------------------------------
// Literal autolinks found in finished text
//
// Besides the literals recognised while scanning, a second pass (as in the reference parser) looks for
// www./http(s):// addresses and email addresses in the values of finished text nodes outside links,
// where a node's start counts as a word boundary (e.g. an address right inside emphasis).

bool InlineParser::link_literals_possible() const {
  for (std::size_t i = 0; i < text_.size(); ++i) {
    char c = text_[i];
    if (c == '@' || ((c == 'w' || c == 'W' || c == 'h' || c == 'H') && i + 3 < text_.size())) {
      if (c == '@') return true;
      char a = ascii_lower(text_[i + 1]), b = ascii_lower(text_[i + 2]);
      if ((a == 'w' && b == 'w') || (a == 't' && b == 't')) return true;
    }
  }
  return false;
}

void InlineParser::link_literals_in_text() {
  if (!link_literals_possible()) return;
  // Top-down, skipping the insides of links, with an explicit stack.
  std::vector<NodeId> stack;
  for (NodeId child = nodes_[parent_].last_child; child != kNoNode; child = nodes_[child].prev_sibling) {
    stack.push_back(child);
  }
  std::vector<NodeId> texts;
  while (!stack.empty()) {
    NodeId id = stack.back();
    stack.pop_back();
    NodeType t = nodes_[id].type;
    if (t == NodeType::Text) {
      texts.push_back(id);
    } else if (t != NodeType::Link && t != NodeType::LinkReference) {
      for (NodeId child = nodes_[id].last_child; child != kNoNode; child = nodes_[child].prev_sibling) {
        stack.push_back(child);
      }
    }
  }
  for (NodeId id : texts) split_literals(id);
}

namespace {

bool is_word(char c) {
  return is_ascii_alnum(c) || c == '_';
}
bool is_domain_char(char c) {
  return is_word(c) || c == '-' || c == '.';
}

// Whether the character before `i` lets a literal start at `i`: the start, whitespace or punctuation.
bool boundary_before(std::string_view v, std::size_t i) {
  if (i == 0) return true;
  std::uint32_t code = decode_utf8_before(v, i);
  return is_unicode_whitespace_code(code) || is_punctuation_code(code);
}

// A domain's last two labels must be free of '_' and hold a letter or digit.
bool correct_domain(std::string_view domain) {
  std::size_t last_dot = domain.rfind('.');
  if (last_dot == std::string_view::npos) return false;
  std::size_t prev_dot = last_dot == 0 ? std::string_view::npos : domain.rfind('.', last_dot - 1);
  std::string_view last = domain.substr(last_dot + 1);
  std::string_view before = domain.substr(prev_dot == std::string_view::npos ? 0 : prev_dot + 1,
                                          last_dot - (prev_dot == std::string_view::npos ? 0 : prev_dot + 1));
  for (std::string_view part : {last, before}) {
    if (part.empty()) continue;
    if (part.find('_') != std::string_view::npos) return false;
    bool alnum = false;
    for (char c : part) alnum = alnum || is_ascii_alnum(c);
    if (!alnum) return false;
  }
  return true;
}

struct Piece {
  std::size_t start, end;  // in the value
  bool link;
  int prefix;  // 1: http://, 2: mailto:
};

}  // namespace

void InlineParser::split_literals(NodeId text) {
  std::string_view v = nodes_[text].value;
  std::uint32_t s = nodes_[text].start, e = nodes_[text].end;
  // Pieces get exact spans only when the value is the source text itself.
  bool exact = tree_.source.substr(s, e - s) == v;
  std::vector<Piece> pieces;
  const std::size_t n = v.size();
  // Parentheses before each position, for the balance of a trailing ')'.
  std::vector<std::uint32_t> open_before, close_before;
  std::size_t from = 0;  // start of the text not yet split off
  std::size_t run_domain_end = 0, run_same_until = 0, path_end = 0;
  bool run_domain_ok = false;
  std::size_t i = 0;
  while (i < n) {
    char c = v[i];
    bool www = (c == 'w' || c == 'W') && i + 3 < n && ascii_lower(v[i + 1]) == 'w' &&
               ascii_lower(v[i + 2]) == 'w' && v[i + 3] == '.';
    std::size_t scheme = 0;
    if (c == 'h' || c == 'H') {
      auto lower_is = [&](std::string_view word) {
        if (i + word.size() > n) return false;
        for (std::size_t m = 0; m < word.size(); ++m) {
          if (ascii_lower(v[i + m]) != word[m]) return false;
        }
        return true;
      };
      scheme = lower_is("https://") ? 8 : lower_is("http://") ? 7 : 0;
    }
    if ((www || scheme != 0) && boundary_before(v, i)) {
      std::size_t domain_start = www ? i : i + scheme;
      // Candidates inside one run share the run's end and the verdict on its domain: both are kept,
      // so a long run full of candidates is scanned once.
      if (domain_start >= run_domain_end) {
        run_domain_end = www ? i + 3 : domain_start;
        while (run_domain_end < n && is_domain_char(v[run_domain_end])) ++run_domain_end;
        std::string_view domain = v.substr(domain_start, run_domain_end - domain_start);
        run_domain_ok = correct_domain(domain);
        // Starts up to the second-to-last dot see the same last two labels, hence the same verdict.
        std::size_t last_dot = domain.rfind('.');
        std::size_t prev_dot = last_dot == std::string_view::npos || last_dot == 0 ? std::string_view::npos
                                                                                   : domain.rfind('.', last_dot - 1);
        run_same_until = domain_start + (prev_dot == std::string_view::npos ? 0 : prev_dot);
      } else if (domain_start > run_same_until) {
        run_domain_ok = correct_domain(v.substr(domain_start, run_domain_end - domain_start));
      }
      std::size_t domain_end = run_domain_end;
      if (domain_end > domain_start + (www ? 3 : 0) && run_domain_ok) {
        if (path_end <= domain_end) {
          path_end = domain_end;
          while (path_end < n && v[path_end] != ' ' && v[path_end] != '\t' && v[path_end] != '\r' &&
                 v[path_end] != '\n') {
            ++path_end;
          }
        }
        // Trailing punctuation is not part of the link, except ')' that close parentheses opened in it.
        std::size_t url_end = path_end;
        while (url_end > domain_start &&
               std::string_view("!\"&'),.:;<>?]}").find(v[url_end - 1]) != std::string_view::npos) {
          --url_end;
        }
        if (open_before.empty()) {
          open_before.assign(n + 1, 0);
          close_before.assign(n + 1, 0);
          for (std::size_t k = 0; k < n; ++k) {
            open_before[k + 1] = open_before[k] + (v[k] == '(');
            close_before[k + 1] = close_before[k] + (v[k] == ')');
          }
        }
        std::uint32_t opening = open_before[url_end] - open_before[domain_start];
        std::uint32_t closing = close_before[url_end] - close_before[domain_start];
        std::size_t k = url_end;
        while (opening > closing) {
          while (k < path_end && v[k] != ')') ++k;
          if (k >= path_end) break;
          url_end = ++k;
          ++closing;
        }
        if (url_end > domain_start) {
          if (i > from) pieces.push_back({from, i, false, 0});
          pieces.push_back({i, url_end, true, www ? 1 : 0});
          from = url_end;  // the trailing punctuation starts the next text
          i = path_end;
          continue;
        }
      }
    }
    ++i;
  }
  if (from < n) pieces.push_back({from, n, false, 0});
  // Emails, in the text pieces.
  std::vector<Piece> split;
  for (const Piece& piece : pieces) {
    if (piece.link) {
      split.push_back(piece);
      continue;
    }
    std::size_t rest = piece.start;
    std::size_t j = piece.start;
    std::size_t run_end = piece.start;  // end of the atext run that j is in (cached across candidates)
    std::size_t label_at = std::string_view::npos, label_end = 0;  // the '@' whose domain was read, its end
    bool label_ok = false;
    while (j < piece.end) {
      bool atext = is_word(v[j]) || v[j] == '-' || v[j] == '.' || v[j] == '+';
      if (!atext || !(j == piece.start || (boundary_before(v, j) && v[j - 1] != '/'))) {
        ++j;
        continue;
      }
      if (run_end <= j) {
        run_end = j;
        while (run_end < piece.end &&
               (is_word(v[run_end]) || v[run_end] == '-' || v[run_end] == '.' || v[run_end] == '+')) {
          ++run_end;
        }
      }
      if (run_end >= piece.end || v[run_end] != '@') {
        j = run_end;
        continue;
      }
      // The domain: labels of [-A-Za-z0-9_] joined by single dots, at least two of them. Every candidate
      // of one run shares it, so it is read once.
      if (label_at == run_end) {
        if (!label_ok) {
          ++j;
          continue;
        }
        if (j > rest) split.push_back({rest, j, false, 0});
        split.push_back({j, label_end, true, 2});
        rest = j = label_end;
        continue;
      }
      label_at = run_end;
      std::size_t k = run_end + 1;
      std::size_t label_start = k;
      int labels = 0;
      std::size_t end = k;
      while (true) {
        std::size_t m = k;
        while (m < piece.end && (is_word(v[m]) || v[m] == '-')) ++m;
        if (m == k) break;
        ++labels;
        end = m;
        if (m < piece.end && v[m] == '.' && m + 1 < piece.end && (is_word(v[m + 1]) || v[m + 1] == '-')) {
          k = m + 1;
          continue;
        }
        break;
      }
      char last = end > label_start ? v[end - 1] : '-';
      label_end = end;
      label_ok = !(labels < 2 || last == '-' || last == '_' || is_ascii_digit(last));
      if (!label_ok) {
        ++j;
        continue;
      }
      if (j > rest) split.push_back({rest, j, false, 0});
      split.push_back({j, end, true, 2});
      rest = j = end;
    }
    if (rest < piece.end) split.push_back({rest, piece.end, false, 0});
  }
  bool any_link = false;
  for (const Piece& piece : split) any_link = any_link || piece.link;
  if (!any_link) return;
  // Replace the text node with the pieces.
  for (const Piece& piece : split) {
    std::uint32_t ps = exact ? s + static_cast<std::uint32_t>(piece.start) : s;
    std::uint32_t pe = exact ? s + static_cast<std::uint32_t>(piece.end) : e;
    std::string_view value = v.substr(piece.start, piece.end - piece.start);
    NodeId node = add_node(nodes_, piece.link ? NodeType::Link : NodeType::Text, ps, pe);
    if (piece.link) {
      scratch_.assign(piece.prefix == 1 ? "http://" : piece.prefix == 2 ? "mailto:" : "");
      scratch_.append(value);
      set_url(node, tree_.strings.save(scratch_));
      NodeId label = add_node(nodes_, NodeType::Text, ps, pe);
      nodes_[label].value = value;
      append_child(nodes_, node, label);
    } else {
      nodes_[node].value = value;
    }
    insert_before(nodes_, text, node);
  }
  unlink(nodes_, text);
}

}  // namespace

std::string_view save_unescaped(Tree& tree, std::string_view text, std::string& scratch) {
  const char* begin = tree.source.data();
  const char* end = begin + tree.source.size();
  bool in_source = text.data() >= begin && text.data() + text.size() <= end;
  if (!needs_unescape(text) && in_source) return text;
  scratch.clear();
  append_unescaped(scratch, text);
  return tree.strings.save(scratch);
}

void parse_inlines(InlineContext& context, NodeId parent, const Content& content) {
  InlineParser parser(context, parent, content);
  parser.run();
}

}  // namespace tovik::markdown::detail
