// The HTML comment scanner.
#include "md/html_comments.hpp"

#include <array>

namespace tovik::md {

namespace {

char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool is_closing_delimiter(char c) { return c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == ' ' || c == '>'; }

constexpr std::array<std::string_view, 9> kRawText{"xmp",     "style",   "title",    "script",   "iframe",
                                                   "noembed", "textarea", "noframes", "plaintext"};

// Position of "</name" followed by a delimiter, searched ASCII-case-insensitively; npos if none.
std::size_t find_closing_tag(std::string_view html, std::size_t from, std::string_view name) {
  for (std::size_t i = html.find("</", from); i != std::string_view::npos; i = html.find("</", i + 1)) {
    std::size_t j = i + 2;
    if (j + name.size() >= html.size()) return std::string_view::npos;
    bool same = true;
    for (std::size_t k = 0; k < name.size(); ++k) {
      if (ascii_lower(html[j + k]) != name[k]) {
        same = false;
        break;
      }
    }
    if (same && j + name.size() < html.size() && is_closing_delimiter(html[j + name.size()])) return i;
  }
  return std::string_view::npos;
}

}  // namespace

void HtmlCommentScanner::scan(std::string_view html, std::uint64_t offset, std::vector<HtmlComment>& out) {
  std::size_t pos = 0;
  while (pos < html.size()) {
    if (!open_raw_text_.empty()) {
      std::size_t close = find_closing_tag(html, pos, open_raw_text_);
      if (close == std::string_view::npos) return;
      open_raw_text_.clear();
      pos = close + 2;
      continue;
    }
    std::size_t lt = html.find('<', pos);
    if (lt == std::string_view::npos) return;
    std::string_view rest = html.substr(lt);
    if (rest.starts_with("<!--")) {
      std::size_t end = html.find("-->", lt + 4);
      if (end == std::string_view::npos) return;
      out.push_back({{offset + lt, offset + end + 3}, std::string(html.substr(lt + 4, end - lt - 4))});
      pos = end + 3;
      continue;
    }
    if (rest.starts_with("<![CDATA[")) {
      std::size_t end = html.find("]]>", lt + 9);
      if (end == std::string_view::npos) return;
      pos = end + 3;
      continue;
    }
    // A tag: read its name, then find the '>' that ends it outside quotes.
    std::size_t i = lt + 1;
    if (i < html.size() && html[i] == '/') ++i;
    std::size_t name_start = i;
    while (i < html.size()) {
      char c = html[i];
      bool name_char = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
      if (!name_char) break;
      ++i;
    }
    std::string name;
    for (std::size_t k = name_start; k < i; ++k) name.push_back(ascii_lower(html[k]));
    bool closing = name_start > lt + 1;
    char quote = 0;
    while (i < html.size()) {
      char c = html[i];
      if (quote) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '>') {
        break;
      }
      ++i;
    }
    if (i >= html.size()) return;
    if (!closing) {
      for (auto raw : kRawText) {
        if (name == raw) open_raw_text_ = name;
      }
    }
    pos = i + 1;
  }
}

}  // namespace tovik::md
