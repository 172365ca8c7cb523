// A test-only HTML renderer over the Markdown tree, and the normaliser for comparing HTML.
#include "html_render.hpp"

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace tovik::markdown::testing {
namespace {

struct Definition {
  std::string_view url;
  std::optional<std::string_view> title;
};

class Renderer {
 public:
  explicit Renderer(const Tree& tree) : tree_(tree) {
    for (std::size_t id = 0; id < tree.nodes.size(); ++id) {
      const NodeDetails& d = tree.details_of(static_cast<NodeId>(id));
      if (tree.nodes[id].type == NodeType::Definition)
        definitions_.emplace(d.identifier, Definition{d.url, d.title});
    }
  }

  std::string run() {
    children(kRoot, false);
    return out_;
  }

 private:
  void cr() {
    if (!out_.empty() && out_.back() != '\n') out_.push_back('\n');
  }

  void escape(std::string_view text) {
    for (char c : text) {
      switch (c) {
        case '&':
          out_ += "&amp;";
          break;
        case '<':
          out_ += "&lt;";
          break;
        case '>':
          out_ += "&gt;";
          break;
        case '"':
          out_ += "&quot;";
          break;
        default:
          out_.push_back(c);
      }
    }
  }

  void escape_url(std::string_view url) {
    static const std::string_view kSafe = ";/?:@&=+$,-_.!~*'()#";
    auto hex = [](char c) {
      return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    };
    std::string encoded;
    for (std::size_t i = 0; i < url.size(); ++i) {
      unsigned char c = static_cast<unsigned char>(url[i]);
      if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
          kSafe.find(static_cast<char>(c)) != std::string_view::npos) {
        encoded.push_back(static_cast<char>(c));
      } else if (c == '%' && i + 2 < url.size() + 0 && hex(url[i + 1]) && hex(url[i + 2])) {
        encoded.push_back('%');
      } else {
        char buf[4];
        std::snprintf(buf, sizeof buf, "%%%02X", c);
        encoded += buf;
      }
    }
    escape(encoded);
  }

  void children(NodeId id, bool tight) {
    for (NodeId child : tree_.children(id)) node(child, tight);
  }

  void plain_children(NodeId id) {
    for (NodeId child : tree_.children(id)) inline_node(child);
  }

  void node(NodeId id, bool tight) {
    const Node& n = tree_.nodes[id];
    const NodeDetails& d = tree_.details_of(id);
    switch (n.type) {
      case NodeType::Paragraph:
        if (tight) {
          plain_children(id);
        } else {
          cr();
          out_ += "<p>";
          plain_children(id);
          out_ += "</p>\n";
        }
        break;
      case NodeType::Heading:
        cr();
        out_ += "<h" + std::to_string(n.depth) + ">";
        plain_children(id);
        out_ += "</h" + std::to_string(n.depth) + ">\n";
        break;
      case NodeType::ThematicBreak:
        cr();
        out_ += "<hr />\n";
        break;
      case NodeType::Blockquote:
        cr();
        out_ += "<blockquote>\n";
        children(id, false);
        cr();
        out_ += "</blockquote>\n";
        break;
      case NodeType::List: {
        cr();
        if (n.ordered) {
          out_ += n.start_number == 1 ? "<ol>\n" : "<ol start=\"" + std::to_string(n.start_number) + "\">\n";
        } else {
          out_ += "<ul>\n";
        }
        for (NodeId item : tree_.children(id)) {
          const Node& it = tree_.nodes[item];
          cr();
          out_ += "<li>";
          if (it.checked.has_value()) {
            out_ += *it.checked ? "<input checked=\"\" disabled=\"\" type=\"checkbox\"> "
                                : "<input disabled=\"\" type=\"checkbox\"> ";
          }
          children(item, !n.loose);
          out_ += "</li>\n";
        }
        out_ += n.ordered ? "</ol>\n" : "</ul>\n";
        break;
      }
      case NodeType::Code:
        cr();
        out_ += "<pre><code";
        if (d.lang.has_value() && !d.lang->empty()) {
          out_ += " class=\"language-";
          escape(*d.lang);
          out_ += "\"";
        }
        out_ += ">";
        escape(n.value);
        if (!n.value.empty() || code_has_one_empty_line(id)) out_ += "\n";
        out_ += "</code></pre>\n";
        break;
      case NodeType::Html:
        cr();
        out_ += n.value;
        out_ += "\n";
        break;
      case NodeType::Table:
        table(id);
        break;
      case NodeType::Definition:
      case NodeType::FootnoteDefinition:
      case NodeType::Yaml:
        break;
      default:
        inline_node(id);
        break;
    }
  }

  // An empty value stands for no line or for one empty line; the source tells which.
  bool code_has_one_empty_line(NodeId id) const {
    std::string_view text = tree_.text(id);
    std::size_t lines = std::count(text.begin(), text.end(), '\n');
    if (tree_.details_of(id).lang.has_value() || text.empty()) return false;
    char first = text[0];
    if (first != '`' && first != '~') return false;
    bool closed_at_end = text.back() == '`' || text.back() == '~';
    return closed_at_end ? lines >= 2 : lines >= 2;
  }

  void table(NodeId id) {
    const Node& t = tree_.nodes[id];
    const std::vector<Align>& align = tree_.details_of(id).align;
    cr();
    out_ += "<table>\n<thead>\n";
    bool head = true;
    for (NodeId row : tree_.children(id)) {
      out_ += "<tr>\n";
      std::size_t column = 0;
      for (NodeId cell : tree_.children(row)) {
        if (column >= align.size()) break;
        cell_open(head, align[column]);
        plain_children(cell);
        out_ += head ? "</th>\n" : "</td>\n";
        ++column;
      }
      for (; column < align.size(); ++column) {
        cell_open(head, align[column]);
        out_ += head ? "</th>\n" : "</td>\n";
      }
      out_ += "</tr>\n";
      if (head) {
        out_ += "</thead>\n";
        if (tree_.nodes[row].next_sibling != kNoNode) out_ += "<tbody>\n";
      }
      head = false;
    }
    if (tree_.nodes[t.first_child].next_sibling != kNoNode) out_ += "</tbody>\n";
    out_ += "</table>\n";
  }

  void cell_open(bool head, Align align) {
    out_ += head ? "<th" : "<td";
    if (align == Align::Left) out_ += " align=\"left\"";
    if (align == Align::Right) out_ += " align=\"right\"";
    if (align == Align::Center) out_ += " align=\"center\"";
    out_ += ">";
  }

  void link_open(std::string_view url, std::optional<std::string_view> title) {
    out_ += "<a href=\"";
    escape_url(url);
    out_ += "\"";
    if (title.has_value()) {
      out_ += " title=\"";
      escape(*title);
      out_ += "\"";
    }
    out_ += ">";
  }

  void image(std::string_view url, std::string_view alt, std::optional<std::string_view> title) {
    out_ += "<img src=\"";
    escape_url(url);
    out_ += "\" alt=\"";
    escape(alt);
    out_ += "\"";
    if (title.has_value()) {
      out_ += " title=\"";
      escape(*title);
      out_ += "\"";
    }
    out_ += " />";
  }

  void inline_node(NodeId id) {
    const Node& n = tree_.nodes[id];
    const NodeDetails& d = tree_.details_of(id);
    switch (n.type) {
      case NodeType::Text:
        escape(n.value);
        break;
      case NodeType::Emphasis:
        out_ += "<em>";
        plain_children(id);
        out_ += "</em>";
        break;
      case NodeType::Strong:
        out_ += "<strong>";
        plain_children(id);
        out_ += "</strong>";
        break;
      case NodeType::Delete:
        out_ += "<del>";
        plain_children(id);
        out_ += "</del>";
        break;
      case NodeType::InlineCode: {
        out_ += "<code>";
        std::string value(n.value);
        for (std::size_t i = 0; i < value.size(); ++i) {
          if (value[i] == '\r' && i + 1 < value.size() && value[i + 1] == '\n') value.erase(i, 1);
          if (value[i] == '\n' || value[i] == '\r') value[i] = ' ';
        }
        escape(value);
        out_ += "</code>";
        break;
      }
      case NodeType::Break:
        out_ += "<br />\n";
        break;
      case NodeType::Html:
        out_ += n.value;
        break;
      case NodeType::Link:
        link_open(d.url, d.title);
        plain_children(id);
        out_ += "</a>";
        break;
      case NodeType::Image:
        image(d.url, d.alt, d.title);
        break;
      case NodeType::LinkReference:
      case NodeType::ImageReference: {
        auto it = definitions_.find(std::string(d.identifier));
        Definition def = it != definitions_.end() ? it->second : Definition{};
        if (n.type == NodeType::LinkReference) {
          link_open(def.url, def.title);
          plain_children(id);
          out_ += "</a>";
        } else {
          image(def.url, d.alt, def.title);
        }
        break;
      }
      case NodeType::FootnoteReference:
        out_ += "[^";
        escape(d.label);
        out_ += "]";
        break;
      default:
        node(id, false);
        break;
    }
  }

  const Tree& tree_;
  std::map<std::string, Definition> definitions_;  // first definition wins (emplace keeps it)
  std::string out_;
};

bool is_block_tag(std::string_view name) {
  static const std::string_view kBlocks[] = {
      "address",  "article",    "aside",    "blockquote", "body",     "caption", "center",   "col",
      "colgroup", "dd",         "details",  "dialog",     "dir",      "div",     "dl",       "dt",
      "fieldset", "figcaption", "figure",   "footer",     "form",     "frame",   "frameset", "h1",
      "h2",       "h3",         "h4",       "h5",         "h6",       "head",    "header",   "hr",
      "html",     "iframe",     "legend",   "li",         "link",     "main",    "menu",     "menuitem",
      "meta",     "nav",        "noframes", "ol",         "optgroup", "option",  "p",        "param",
      "pre",      "section",    "source",   "title",      "summary",  "table",   "tbody",    "td",
      "tfoot",    "th",         "thead",    "title",      "tr",       "track",   "ul"};
  for (std::string_view b : kBlocks) {
    if (b == name) return true;
  }
  return false;
}

}  // namespace

std::string render_html(const Tree& tree) {
  return Renderer(tree).run();
}

std::string normalize_html(std::string_view html) {
  // Split into tags and text; lower-case tag names, sort attributes; collapse whitespace in text outside
  // <pre>; drop whitespace next to block tags.
  struct Piece {
    bool tag;
    std::string text;
    std::string name;
    bool block;
  };
  std::vector<Piece> pieces;
  std::size_t i = 0;
  int in_pre = 0;
  while (i < html.size()) {
    if (html[i] == '<') {
      std::size_t end = html.find('>', i);
      if (end == std::string_view::npos) end = html.size() - 1;
      std::string tag(html.substr(i, end + 1 - i));
      std::size_t n = 1;
      bool closing = tag.size() > 1 && tag[1] == '/';
      if (closing) ++n;
      std::size_t name_end = n;
      while (name_end < tag.size() && (std::isalnum(static_cast<unsigned char>(tag[name_end])))) ++name_end;
      std::string name = tag.substr(n, name_end - n);
      for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      if (name == "pre") in_pre += closing ? -1 : 1;
      // Attributes sorted (only for simple tags without quotes containing spaces).
      std::string rest = tag.substr(name_end, tag.size() - 1 - name_end);
      if (!name.empty() && tag.rfind("<!", 0) != 0) {
        std::vector<std::string> attrs;
        std::size_t k = 0;
        while (k < rest.size()) {
          while (k < rest.size() && std::isspace(static_cast<unsigned char>(rest[k]))) ++k;
          if (k >= rest.size()) break;
          std::size_t s = k;
          while (k < rest.size() && !std::isspace(static_cast<unsigned char>(rest[k])) && rest[k] != '=') ++k;
          if (k < rest.size() && rest[k] == '=') {
            ++k;
            if (k < rest.size() && (rest[k] == '"' || rest[k] == '\'')) {
              char q = rest[k];
              std::size_t close = rest.find(q, k + 1);
              k = close == std::string::npos ? rest.size() : close + 1;
            } else {
              while (k < rest.size() && !std::isspace(static_cast<unsigned char>(rest[k]))) ++k;
            }
          }
          std::string attr = rest.substr(s, k - s);
          if (attr != "/") attrs.push_back(attr);
        }
        std::sort(attrs.begin(), attrs.end());
        tag = std::string("<") + (closing ? "/" : "") + name;
        for (const std::string& a : attrs) tag += " " + a;
        tag += ">";
      }
      pieces.push_back({true, tag, name, is_block_tag(name)});
      i = end + 1;
      continue;
    }
    std::size_t end = html.find('<', i);
    if (end == std::string_view::npos) end = html.size();
    std::string text(html.substr(i, end - i));
    if (in_pre == 0) {
      std::string collapsed;
      for (char c : text) {
        if (std::isspace(static_cast<unsigned char>(c))) {
          if (collapsed.empty() || collapsed.back() != ' ') collapsed.push_back(' ');
        } else {
          collapsed.push_back(c);
        }
      }
      text = collapsed;
    }
    pieces.push_back({false, text, "", false});
    i = end;
  }
  std::string out;
  for (std::size_t k = 0; k < pieces.size(); ++k) {
    Piece& p = pieces[k];
    if (!p.tag) {
      std::string text = p.text;
      bool prev_block = k > 0 && pieces[k - 1].tag && pieces[k - 1].block;
      bool next_block = k + 1 < pieces.size() && pieces[k + 1].tag && pieces[k + 1].block;
      if (prev_block || k == 0) {
        while (!text.empty() && (text.front() == ' ' || text.front() == '\n')) text.erase(0, 1);
      }
      if (next_block || k + 1 == pieces.size()) {
        while (!text.empty() && (text.back() == ' ' || text.back() == '\n')) text.pop_back();
      }
      out += text;
    } else {
      out += p.text;
    }
  }
  // Character references of the quote and apostrophe appear in either form.
  std::string result;
  for (std::size_t k = 0; k < out.size(); ++k) {
    if (out.compare(k, 6, "&quot;") == 0) {
      result += '"';
      k += 5;
    } else if (out.compare(k, 6, "&#x27;") == 0 || out.compare(k, 5, "&#39;") == 0) {
      result += '\'';
      k += out.compare(k, 5, "&#39;") == 0 ? 4 : 5;
    } else {
      result += out[k];
    }
  }
  return result;
}

}  // namespace tovik::markdown::testing
