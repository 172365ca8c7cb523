// Link labels, destinations and titles.
#include "markdown/link_scan.hpp"

#include "markdown/text.hpp"

namespace tovik::markdown::detail {

constexpr std::size_t npos = std::string_view::npos;

std::size_t scan_link_label(std::string_view text, std::size_t pos) {
  std::size_t i = pos + 1;
  bool has_content = false;
  std::size_t limit = pos + 1 + 999;
  while (i < text.size() && i <= limit) {
    char c = text[i];
    if (c == ']') {
      return has_content ? i + 1 : npos;
    }
    if (c == '[') return npos;
    if (c == '\\' && i + 1 < text.size() &&
        (text[i + 1] == '[' || text[i + 1] == ']' || text[i + 1] == '\\')) {
      has_content = true;
      i += 2;
      continue;
    }
    if (!is_whitespace(c)) has_content = true;
    ++i;
  }
  return npos;
}

Destination scan_link_destination(std::string_view text, std::size_t pos) {
  Destination d;
  if (pos < text.size() && text[pos] == '<') {
    std::size_t i = pos + 1;
    while (i < text.size()) {
      char c = text[i];
      if (c == '>') {
        d.end = i + 1;
        d.value_start = pos + 1;
        d.value_end = i;
        return d;
      }
      if (c == '<' || is_line_end(c)) return d;
      if (c == '\\' && i + 1 < text.size() && is_ascii_punct(text[i + 1])) {
        i += 2;
        continue;
      }
      ++i;
    }
    return d;
  }
  std::size_t i = pos;
  int depth = 0;
  while (i < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\\' && i + 1 < text.size() && is_ascii_punct(text[i + 1])) {
      i += 2;
      continue;
    }
    if (c == '(') {
      if (++depth > 32) return d;
    } else if (c == ')') {
      if (depth == 0) break;
      --depth;
    } else if (c == ' ' || is_ascii_control(c)) {
      break;
    }
    ++i;
  }
  if (i == pos || depth != 0) return d;
  d.end = i;
  d.value_start = pos;
  d.value_end = i;
  return d;
}

std::size_t scan_link_title(std::string_view text, std::size_t pos) {
  if (pos >= text.size()) return npos;
  char open = text[pos];
  char close;
  if (open == '"' || open == '\'') {
    close = open;
  } else if (open == '(') {
    close = ')';
  } else {
    return npos;
  }
  std::size_t i = pos + 1;
  while (i < text.size()) {
    char c = text[i];
    if (c == '\\' && i + 1 < text.size() && is_ascii_punct(text[i + 1])) {
      i += 2;
      continue;
    }
    if (c == close) return i + 1;
    if (open == '(' && c == '(') return npos;
    ++i;
  }
  return npos;
}

std::size_t skip_spaces_one_line(std::string_view text, std::size_t pos, bool& saw_line_end) {
  saw_line_end = false;
  while (pos < text.size() && is_space_or_tab(text[pos])) ++pos;
  if (pos < text.size() && is_line_end(text[pos])) {
    saw_line_end = true;
    if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ++pos;
    ++pos;
    while (pos < text.size() && is_space_or_tab(text[pos])) ++pos;
  }
  return pos;
}

}  // namespace tovik::markdown::detail
