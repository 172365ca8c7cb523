// Git ignore patterns and wildcard matching.
#include "workspace/gitignore.hpp"

#include "config/filesystem.hpp"
#include "paths/paths.hpp"
#include "support/files.hpp"

namespace tovik::workspace {

namespace {

// Outcomes of matching a pattern suffix. The two abort values prune the search: nothing can
// match at all, or nothing can match unless an enclosing `**` consumes more text.
enum class Wild { match, no_match, abort_all, abort_to_double_star };

unsigned char at(std::string_view s, std::size_t i) {
  return i < s.size() ? static_cast<unsigned char>(s[i]) : 0;
}

bool is_special(unsigned char c) {
  return c == '*' || c == '?' || c == '[' || c == '\\';
}

bool is_upper(unsigned char c) {
  return c >= 'A' && c <= 'Z';
}
bool is_lower(unsigned char c) {
  return c >= 'a' && c <= 'z';
}
bool is_digit(unsigned char c) {
  return c >= '0' && c <= '9';
}
bool is_alpha(unsigned char c) {
  return is_upper(c) || is_lower(c);
}
bool is_alnum(unsigned char c) {
  return is_alpha(c) || is_digit(c);
}
bool is_graph(unsigned char c) {
  return c > 0x20 && c < 0x7F;
}

// A named class such as `alpha` in `[[:alpha:]]`, ASCII only; false for an unknown name.
bool named_class(std::string_view name, unsigned char c, bool& known) {
  known = true;
  if (name == "alnum") return is_alnum(c);
  if (name == "alpha") return is_alpha(c);
  if (name == "blank") return c == ' ' || c == '\t';
  if (name == "cntrl") return c < 0x20 || c == 0x7F;
  if (name == "digit") return is_digit(c);
  if (name == "graph") return is_graph(c);
  if (name == "lower") return is_lower(c);
  if (name == "print") return is_graph(c) || c == ' ';
  if (name == "punct") return is_graph(c) && !is_alnum(c);
  if (name == "space") return c == ' ' || c == '\t' || c == '\n' || c == '\r';
  if (name == "upper") return is_upper(c);
  if (name == "xdigit") return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
  known = false;
  return false;
}

// Matches the bracket expression starting after its '[' at p[pi]; leaves `pi` on its ']'.
Wild match_bracket(std::string_view p, std::size_t& pi, unsigned char tc, bool pathname) {
  unsigned char pc = at(p, pi);
  if (pc == '^') pc = '!';
  bool negated = pc == '!';
  if (negated) pc = at(p, ++pi);
  unsigned char prev = 0;
  bool matched = false;
  do {
    if (pc == 0) return Wild::abort_all;
    if (pc == '\\') {
      pc = at(p, ++pi);
      if (pc == 0) return Wild::abort_all;
      if (tc == pc) matched = true;
    } else if (pc == '-' && prev != 0 && at(p, pi + 1) != 0 && at(p, pi + 1) != ']') {
      pc = at(p, ++pi);
      if (pc == '\\') {
        pc = at(p, ++pi);
        if (pc == 0) return Wild::abort_all;
      }
      if (tc <= pc && tc >= prev) matched = true;
      pc = 0;  // a range cannot start another range
    } else if (pc == '[' && at(p, pi + 1) == ':') {
      std::size_t name_start = pi + 2;
      std::size_t q = name_start;
      while (at(p, q) != 0 && at(p, q) != ']') ++q;
      if (at(p, q) == 0) return Wild::abort_all;
      if (q == name_start || at(p, q - 1) != ':') {
        // Not "[:name:]" after all: the '[' is an ordinary member.
        pi = name_start - 2;
        pc = '[';
        if (tc == pc) matched = true;
      } else {
        bool known = false;
        if (named_class(p.substr(name_start, q - 1 - name_start), tc, known)) matched = true;
        if (!known) return Wild::abort_all;
        pi = q;
        pc = 0;
      }
    } else if (tc == pc) {
      matched = true;
    }
    prev = pc;
    pc = at(p, ++pi);
  } while (pc != ']');
  if (matched == negated || (pathname && tc == '/')) return Wild::no_match;
  return Wild::match;
}

Wild wild(std::string_view p, std::size_t pi, std::string_view t, std::size_t ti, bool pathname) {
  for (; pi < p.size(); ++pi, ++ti) {
    unsigned char pc = at(p, pi);
    unsigned char tc = at(t, ti);
    if (ti >= t.size() && pc != '*') return Wild::abort_all;
    switch (pc) {
      case '\\':
        // A trailing backslash compares with the end of the text and never matches.
        if (tc != at(p, ++pi)) return Wild::no_match;
        break;
      case '?':
        if (pathname && tc == '/') return Wild::no_match;
        break;
      case '[': {
        ++pi;
        Wild result = match_bracket(p, pi, tc, pathname);
        if (result != Wild::match) return result;
        break;
      }
      case '*': {
        bool match_slash;
        if (at(p, pi + 1) == '*') {
          std::size_t first = pi;
          while (at(p, pi + 1) == '*') ++pi;
          std::size_t next = pi + 1;
          bool starts_component = first == 0 || p[first - 1] == '/';
          bool ends_component =
              next >= p.size() || p[next] == '/' || (p[next] == '\\' && at(p, next + 1) == '/');
          if (starts_component && ends_component) {
            // "**/" may match no directory at all.
            if (at(p, next) == '/' && wild(p, next + 1, t, ti, pathname) == Wild::match) return Wild::match;
            match_slash = true;
          } else {
            match_slash = false;
          }
        } else {
          match_slash = !pathname;
        }
        std::size_t rest = pi + 1;
        if (rest >= p.size()) {
          // A trailing "**" matches everything; a trailing "*" only what has no more slashes.
          if (!match_slash && t.find('/', ti) != std::string_view::npos) return Wild::abort_to_double_star;
          return Wild::match;
        }
        if (!match_slash && p[rest] == '/') {
          // One '*' before a slash spans exactly the rest of this component.
          std::size_t slash = t.find('/', ti);
          if (slash == std::string_view::npos) return Wild::abort_all;
          pi = rest;
          ti = slash;
          break;
        }
        while (true) {
          if (tc == 0 && ti >= t.size()) break;
          unsigned char literal = at(p, rest);
          if (!is_special(literal)) {
            // Skip ahead to the next occurrence of the literal that follows the star.
            while (ti < t.size() && (match_slash || t[ti] != '/') &&
                   static_cast<unsigned char>(t[ti]) != literal) {
              ++ti;
            }
            tc = at(t, ti);
            if (ti >= t.size() || tc != literal) return Wild::no_match;
          }
          Wild result = wild(p, rest, t, ti, pathname);
          if (result != Wild::no_match) {
            if (!match_slash || result != Wild::abort_to_double_star) return result;
          } else if (!match_slash && tc == '/') {
            return Wild::abort_to_double_star;
          }
          tc = at(t, ++ti);
        }
        return Wild::abort_all;
      }
      default:
        if (tc != pc) return Wild::no_match;
        break;
    }
  }
  return ti >= t.size() ? Wild::match : Wild::no_match;
}

// Removes trailing spaces that are not escaped by a backslash.
std::string_view trim_trailing_spaces(std::string_view line) {
  std::size_t end = line.size();
  std::size_t last_space = std::string_view::npos;
  for (std::size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (c == ' ') {
      if (last_space == std::string_view::npos) last_space = i;
    } else if (c == '\\') {
      ++i;
      if (i >= line.size()) return line;
      last_space = std::string_view::npos;
    } else {
      last_space = std::string_view::npos;
    }
  }
  if (last_space != std::string_view::npos) end = last_space;
  return line.substr(0, end);
}

std::string_view last_component(std::string_view path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool wildmatch(std::string_view pattern, std::string_view text, bool pathname) {
  return wild(pattern, 0, text, 0, pathname) == Wild::match;
}

IgnoreFile IgnoreFile::parse(std::string_view text, std::string dir) {
  IgnoreFile file;
  file.dir_ = std::move(dir);
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  while (!text.empty()) {
    std::size_t newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    if (line.empty() || line[0] == '#') continue;
    if (line.back() == '\r') line.remove_suffix(1);
    line = line.substr(0, line.find('\0'));
    line = trim_trailing_spaces(line);

    IgnorePattern pattern;
    if (!line.empty() && line[0] == '!') {
      pattern.negated = true;
      line.remove_prefix(1);
    }
    if (!line.empty() && line.back() == '/') {
      pattern.dir_only = true;
      line.remove_suffix(1);
    }
    if (line.empty()) continue;  // matches nothing
    pattern.basename_only = line.find('/') == std::string_view::npos;
    if (!pattern.basename_only && line[0] == '/') line.remove_prefix(1);
    pattern.pattern = std::string(line);
    file.patterns_.push_back(std::move(pattern));
  }
  return file;
}

IgnoreFile::Verdict IgnoreFile::match(std::string_view path, bool is_dir) const {
  std::string_view rel = path;
  if (!dir_.empty()) rel.remove_prefix(std::min(rel.size(), dir_.size() + 1));
  for (auto it = patterns_.rbegin(); it != patterns_.rend(); ++it) {
    if (it->dir_only && !is_dir) continue;
    bool hit = it->basename_only ? wildmatch(it->pattern, last_component(rel), false)
                                 : wildmatch(it->pattern, rel, true);
    if (hit) return it->negated ? Verdict::included : Verdict::ignored;
  }
  return Verdict::none;
}

bool IgnoreStack::ignored(std::string_view path, bool is_dir) const {
  for (auto it = files_.rbegin(); it != files_.rend(); ++it) {
    switch (it->match(path, is_dir)) {
      case IgnoreFile::Verdict::ignored:
        return true;
      case IgnoreFile::Verdict::included:
        return false;
      case IgnoreFile::Verdict::none:
        break;
    }
  }
  return false;
}

Result<bool> read_ignore_file(const std::string& dir, const std::string& rel_dir, IgnoreStack& stack) {
  std::string path = paths::join(dir, ".gitignore");
  auto type = config::fs::lstat_type(path);
  if (!type.ok()) return Error{"Cannot read " + path + ": " + type.error()};
  if (*type != config::fs::EntryType::regular) return false;
  auto text = files::read_file(path);
  if (!text.ok()) return Error{"Cannot read " + path + ": " + text.error()};
  stack.push(IgnoreFile::parse(*text, rel_dir));
  return true;
}

Result<bool> is_gitignored(std::string_view root, std::string_view path, bool is_dir) {
  auto rel = paths::relative_to(path, root);
  if (!rel) return false;
  std::vector<std::string_view> components;
  std::string_view rest = *rel;
  while (!rest.empty()) {
    std::size_t slash = rest.find('/');
    components.push_back(rest.substr(0, slash));
    rest.remove_prefix(slash == std::string_view::npos ? rest.size() : slash + 1);
  }
  for (std::string_view component : components) {
    if (component == ".git") return true;
  }

  IgnoreStack stack;
  std::string dir(root);
  std::string reached;
  for (std::size_t i = 0; i < components.size(); ++i) {
    auto read = read_ignore_file(dir, reached, stack);
    if (!read.ok()) return Error{read.error()};
    if (!reached.empty()) reached.push_back('/');
    reached.append(components[i]);
    bool last = i + 1 == components.size();
    if (stack.ignored(reached, !last || is_dir)) return true;
    dir = paths::join(dir, components[i]);
  }
  return false;
}

}  // namespace tovik::workspace
