// Raw HTML recognition, for blocks and inline tags.
#include "markdown/html.hpp"

#include <array>

#include "markdown/text.hpp"

namespace tovik::markdown::detail {
namespace {

bool equals_ignore_case(std::string_view text, std::size_t pos, std::string_view word) {
  if (pos + word.size() > text.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (ascii_lower(text[pos + i]) != word[i]) return false;
  }
  return true;
}

bool contains_ignore_case(std::string_view text, std::string_view word) {
  for (std::size_t i = 0; i + word.size() <= text.size(); ++i) {
    if (equals_ignore_case(text, i, word)) return true;
  }
  return false;
}

constexpr std::array<std::string_view, 62> kBlockTags = {
    "address",  "article",    "aside",  "base",    "basefont", "blockquote", "body",     "caption",  "center",
    "col",      "colgroup",   "dd",     "details", "dialog",   "dir",        "div",      "dl",       "dt",
    "fieldset", "figcaption", "figure", "footer",  "form",     "frame",      "frameset", "h1",       "h2",
    "h3",       "h4",         "h5",     "h6",      "head",     "header",     "hr",       "html",     "iframe",
    "legend",   "li",         "link",   "main",    "menu",     "menuitem",   "nav",      "noframes", "ol",
    "optgroup", "option",     "p",      "param",   "search",   "section",    "summary",  "table",    "tbody",
    "td",       "tfoot",      "th",     "thead",   "title",    "tr",         "track",    "ul"};

bool is_tag_name_char(char c) {
  return is_ascii_alnum(c) || c == '-';
}

// Whitespace inside tags, line endings included.
std::size_t skip_tag_space(std::string_view text, std::size_t i) {
  while (i < text.size() && (is_space_or_tab(text[i]) || is_line_end(text[i]))) ++i;
  return i;
}

// Attributes and the end of an open tag, from just after the tag name; returns the length up to and
// including `>`, measured from `start`, or 0.
std::size_t scan_open_tag_rest(std::string_view text, std::size_t start, std::size_t i) {
  while (true) {
    std::size_t after_space = skip_tag_space(text, i);
    if (after_space >= text.size()) return 0;
    char c = text[after_space];
    if (c == '>') return after_space + 1 - start;
    if (c == '/') {
      if (after_space + 1 < text.size() && text[after_space + 1] == '>') return after_space + 2 - start;
      return 0;
    }
    if (after_space == i) return 0;  // attributes need whitespace before them
    if (!(is_ascii_alpha(c) || c == '_' || c == ':')) return 0;
    i = after_space + 1;
    while (i < text.size() && (is_ascii_alnum(text[i]) || text[i] == '_' || text[i] == '.' ||
                               text[i] == ':' || text[i] == '-')) {
      ++i;
    }
    std::size_t before_value = skip_tag_space(text, i);
    if (before_value < text.size() && text[before_value] == '=') {
      std::size_t v = skip_tag_space(text, before_value + 1);
      if (v >= text.size()) return 0;
      char q = text[v];
      if (q == '"' || q == '\'') {
        std::size_t close = text.find(q, v + 1);
        if (close == std::string_view::npos) return 0;
        i = close + 1;
      } else {
        std::size_t e = v;
        while (e < text.size() && !is_whitespace(text[e]) && text[e] != '"' && text[e] != '\'' &&
               text[e] != '=' && text[e] != '<' && text[e] != '>' && text[e] != '`') {
          ++e;
        }
        if (e == v) return 0;
        i = e;
      }
    }
  }
}

}  // namespace

std::size_t scan_html_tag(std::string_view text, std::size_t pos) {
  std::size_t i = pos + 1;
  if (i >= text.size()) return 0;
  if (text[i] == '/') {
    ++i;
    if (i >= text.size() || !is_ascii_alpha(text[i])) return 0;
    while (i < text.size() && is_tag_name_char(text[i])) ++i;
    i = skip_tag_space(text, i);
    if (i < text.size() && text[i] == '>') return i + 1 - pos;
    return 0;
  }
  if (!is_ascii_alpha(text[i])) return 0;
  while (i < text.size() && is_tag_name_char(text[i])) ++i;
  return scan_open_tag_rest(text, pos, i);
}

int html_block_start(std::string_view line, bool can_be_kind7) {
  if (line.size() < 2 || line[0] != '<') return 0;
  // Kind 1: raw-text elements.
  for (std::string_view name : {"pre", "script", "style", "textarea"}) {
    if (equals_ignore_case(line, 1, name)) {
      std::size_t after = 1 + name.size();
      if (after == line.size() || is_space_or_tab(line[after]) || line[after] == '>' ||
          is_line_end(line[after])) {
        return 1;
      }
    }
  }
  if (line.substr(0, 4) == "<!--") return 2;
  if (line[1] == '?') return 3;
  if (line.size() >= 3 && line[1] == '!' && is_ascii_alpha(line[2])) return 4;
  if (line.substr(0, 9) == "<![CDATA[") return 5;
  std::size_t name_start = line[1] == '/' ? 2 : 1;
  std::size_t name_end = name_start;
  while (name_end < line.size() && is_ascii_alnum(line[name_end])) ++name_end;
  if (name_end > name_start && name_end - name_start <= 10) {
    std::string name;
    for (std::size_t i = name_start; i < name_end; ++i) name.push_back(ascii_lower(line[i]));
    for (std::string_view tag : kBlockTags) {
      if (tag != name) continue;
      if (name_end == line.size() || is_space_or_tab(line[name_end]) || line[name_end] == '>' ||
          is_line_end(line[name_end]) || line.substr(name_end, 2) == "/>") {
        return 6;
      }
    }
  }
  if (can_be_kind7) {
    std::size_t n = scan_html_tag(line, 0);
    if (n > 0) {
      // A kind-7 start must be a tag other than the raw-text ones, alone on its line.
      std::size_t tag_start = line[1] == '/' ? 2 : 1;
      for (std::string_view name : {"pre", "script", "style", "textarea"}) {
        std::size_t after = tag_start + name.size();
        if (equals_ignore_case(line, tag_start, name) &&
            (after >= line.size() || !is_tag_name_char(line[after]))) {
          return 0;
        }
      }
      for (std::size_t i = n; i < line.size(); ++i) {
        if (!is_space_or_tab(line[i]) && !is_line_end(line[i])) return 0;
      }
      return 7;
    }
  }
  return 0;
}

bool html_block_ends(int kind, std::string_view line) {
  switch (kind) {
    case 1:
      return contains_ignore_case(line, "</pre>") || contains_ignore_case(line, "</script>") ||
             contains_ignore_case(line, "</style>") || contains_ignore_case(line, "</textarea>");
    case 2:
      return line.find("-->") != std::string_view::npos;
    case 3:
      return line.find("?>") != std::string_view::npos;
    case 4:
      return line.find('>') != std::string_view::npos;
    case 5:
      return line.find("]]>") != std::string_view::npos;
    default:
      return false;
  }
}

namespace {

// Finds `terminator` from `from`, remembering a failure so that later searches from further on fail fast.
std::size_t find_memo(std::string_view text, std::size_t from, std::string_view terminator,
                      std::size_t& no_end_after) {
  if (no_end_after != std::string_view::npos && from >= no_end_after) return std::string_view::npos;
  std::size_t found = text.find(terminator, from);
  if (found == std::string_view::npos) no_end_after = from;
  return found;
}

}  // namespace

std::size_t scan_inline_html(std::string_view text, std::size_t pos, HtmlScanMemo& memo) {
  std::size_t i = pos + 1;
  if (i >= text.size()) return 0;
  char c = text[i];
  if (c == '!') {
    if (text.substr(i, 3) == "!--") {
      // <!--> and <!---> are complete (empty) comments.
      std::size_t body = i + 3;
      if (body < text.size() && text[body] == '>') return body + 1 - pos;
      if (text.substr(body, 2) == "->") return body + 2 - pos;
      std::size_t end = find_memo(text, body, "-->", memo.no_comment_end_after);
      if (end == std::string_view::npos) return 0;
      return end + 3 - pos;
    }
    if (text.substr(i, 8) == "![CDATA[") {
      std::size_t end = find_memo(text, i + 8, "]]>", memo.no_cdata_end_after);
      if (end == std::string_view::npos) return 0;
      return end + 3 - pos;
    }
    if (i + 1 < text.size() && is_ascii_alpha(text[i + 1])) {
      std::size_t end = find_memo(text, i + 2, ">", memo.no_declaration_end_after);
      if (end == std::string_view::npos) return 0;
      return end + 1 - pos;
    }
    return 0;
  }
  if (c == '?') {
    std::size_t end = find_memo(text, i + 1, "?>", memo.no_pi_end_after);
    if (end == std::string_view::npos) return 0;
    return end + 2 - pos;
  }
  return scan_html_tag(text, pos);
}

}  // namespace tovik::markdown::detail
