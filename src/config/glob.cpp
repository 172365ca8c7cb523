// Glob compiler: brace expansion, then a Thompson automaton over Unicode scalar values.
#include "config/glob.hpp"

#include <algorithm>
#include <optional>

#include "support/quote.hpp"
#include "support/unicode.hpp"

namespace tovik::config {

namespace {

// Braces expand into at most this many plain patterns; more is refused rather than letting a
// short pattern grow exponentially.
constexpr std::size_t max_alternatives = 1024;

// Reads the code point at `pos` and advances past it. Patterns and the paths they are matched
// against are valid UTF-8 (configuration text is, and paths are repaired for display first).
std::uint32_t decode_at(std::string_view text, std::size_t& pos) {
  unicode::Decoded d = unicode::decode(text, pos);
  pos += d.length;
  return d.code_point;
}

// Index of the ']' closing the class that opens at `open`, or npos. A ']' right after "[" or
// "[!" belongs to the set.
std::size_t class_end(std::string_view s, std::size_t open) {
  std::size_t j = open + 1;
  if (j < s.size() && s[j] == '!') ++j;
  if (j < s.size() && s[j] == ']') ++j;
  std::size_t close = s.find(']', j);
  return close;
}

constexpr std::string_view unclosed_class = "unclosed character class; missing ']'";

// Limits on brace expansion, so a short pattern cannot grow exponentially: the number of plain
// patterns, their total size, and the nesting depth of groups.
constexpr std::size_t max_expanded_bytes = std::size_t{1} << 20;
constexpr int max_group_depth = 32;

// Expands brace groups into plain patterns, left to right, as a cartesian product.
class BraceExpander {
 public:
  explicit BraceExpander(std::string_view s) : s_(s) {}

  std::optional<std::string> expand(std::vector<std::string>& out) {
    out = sequence(false, 0);
    if (!error_ && pos_ < s_.size()) error_ = "unopened alternate group; missing '{'";
    return error_;
  }

 private:
  // Expands from the current position to the end, or, inside a group, up to the ',' or '}' that
  // ends the alternative (left unconsumed).
  std::vector<std::string> sequence(bool nested, int depth) {
    std::vector<std::string> results{std::string()};
    std::size_t chunk = pos_;
    auto flush = [&] {
      for (std::string& r : results) r.append(s_.substr(chunk, pos_ - chunk));
    };
    while (pos_ < s_.size() && !error_) {
      char c = s_[pos_];
      if (c == '[') {
        std::size_t close = class_end(s_, pos_);
        if (close == std::string_view::npos) {
          error_ = std::string(unclosed_class);
          break;
        }
        pos_ = close + 1;
      } else if (c == '}' || (c == ',' && nested)) {
        if (!nested) error_ = "unopened alternate group; missing '{'";
        break;
      } else if (c == '{') {
        flush();
        ++pos_;
        std::vector<std::string> group = alternatives(depth + 1);
        if (error_) break;
        if (group.size() == 1) {
          for (std::string& r : results) r += group[0];
        } else {
          results = product(results, group);
        }
        chunk = pos_;
      } else {
        ++pos_;
      }
    }
    if (error_) return {};
    flush();
    if (!check_size(results)) return {};
    return results;
  }

  // The expansions of every alternative of the group whose '{' was just consumed.
  std::vector<std::string> alternatives(int depth) {
    if (depth > max_group_depth) {
      error_ = "alternate groups are nested more than " + std::to_string(max_group_depth) + " deep";
      return {};
    }
    std::vector<std::string> group;
    while (!error_) {
      std::vector<std::string> alternative = sequence(true, depth);
      if (error_) break;
      for (std::string& a : alternative) group.push_back(std::move(a));
      if (!check_size(group)) break;
      if (pos_ >= s_.size()) {
        error_ = "unclosed alternate group; missing '}'";
        break;
      }
      bool last = s_[pos_] == '}';
      ++pos_;
      if (last) break;
    }
    return group;
  }

  std::vector<std::string> product(const std::vector<std::string>& left,
                                   const std::vector<std::string>& right) {
    std::vector<std::string> out;
    if (left.size() * right.size() > max_alternatives) {
      error_ = "braces expand to more than " + std::to_string(max_alternatives) + " alternatives";
      return out;
    }
    for (const std::string& l : left) {
      for (const std::string& r : right) out.push_back(l + r);
    }
    check_size(out);
    return out;
  }

  bool check_size(const std::vector<std::string>& patterns) {
    std::size_t bytes = 0;
    for (const std::string& p : patterns) bytes += p.size();
    if (patterns.size() > max_alternatives) {
      error_ = "braces expand to more than " + std::to_string(max_alternatives) + " alternatives";
    } else if (bytes > max_expanded_bytes) {
      error_ = "braces expand to more than " + std::to_string(max_expanded_bytes) + " bytes of patterns";
    }
    return !error_;
  }

  std::string_view s_;
  std::size_t pos_ = 0;
  std::optional<std::string> error_;
};

std::string encode(std::uint32_t cp) {
  std::string out;
  unicode::append(out, cp);
  return out;
}

}  // namespace

// Builds the automaton of one Glob. Pieces are emitted back to front, so each piece is created
// knowing the state that follows it.
class GlobCompiler {
 public:
  explicit GlobCompiler(Glob& glob) : glob_(glob) {}

  // Adds the plain (brace-free) pattern `s` as one alternative continuing at `next`.
  Result<std::int32_t> add(std::string_view s, std::int32_t next) {
    std::vector<Piece> pieces;
    std::size_t i = 0;
    while (i < s.size()) {
      char c = s[i];
      if (c == '*') {
        std::size_t j = i;
        while (j < s.size() && s[j] == '*') ++j;
        if (j - i == 1) {
          pieces.push_back({Kind::star, 0});
          i = j;
          continue;
        }
        bool starts_component = i == 0 || s[i - 1] == '/';
        bool ends_component = j == s.size() || s[j] == '/';
        if (j - i != 2 || !starts_component || !ends_component) {
          return Error{"invalid use of **; must be one path component"};
        }
        if (j == s.size()) {
          pieces.push_back({Kind::anything, 0});
          i = j;
        } else {
          pieces.push_back({Kind::directories, 0});
          i = j + 1;
        }
      } else if (c == '?') {
        pieces.push_back({Kind::one, 0});
        ++i;
      } else if (c == '[') {
        auto cls = parse_class(s, i);
        if (!cls.ok()) return Error{cls.error()};
        pieces.push_back({Kind::set, *cls});
      } else {
        pieces.push_back({Kind::literal, decode_at(s, i)});
      }
    }
    for (auto it = pieces.rbegin(); it != pieces.rend(); ++it) next = emit(*it, next);
    return next;
  }

  std::int32_t state(Glob::Op op, std::uint32_t arg, std::int32_t out, std::int32_t out1 = -1) {
    glob_.states_.push_back({op, arg, out, out1});
    return static_cast<std::int32_t>(glob_.states_.size() - 1);
  }

 private:
  enum class Kind : std::uint8_t { literal, one, set, star, anything, directories };
  struct Piece {
    Kind kind;
    std::uint32_t arg;
  };

  // Parses the class opening at s[i]; advances `i` past its ']'.
  Result<std::uint32_t> parse_class(std::string_view s, std::size_t& i) {
    Glob::CharClass cls{false, {}};
    std::size_t j = i + 1;
    if (j < s.size() && s[j] == '!') {
      cls.negated = true;
      ++j;
    }
    bool first = true;
    while (true) {
      if (j >= s.size()) return Error{std::string(unclosed_class)};
      if (s[j] == ']' && !first) break;
      first = false;
      std::uint32_t lo = decode_at(s, j);
      std::uint32_t hi = lo;
      if (j + 1 < s.size() && s[j] == '-' && s[j + 1] != ']') {
        ++j;
        hi = decode_at(s, j);
        if (lo > hi) return Error{"invalid range; '" + encode(lo) + "' > '" + encode(hi) + "'"};
      }
      cls.ranges.push_back({lo, hi});
    }
    i = j + 1;
    glob_.classes_.push_back(std::move(cls));
    return static_cast<std::uint32_t>(glob_.classes_.size() - 1);
  }

  // A loop over `op`: zero or more characters, then `next`.
  std::int32_t repeat(Glob::Op op, std::int32_t next) {
    std::int32_t split = state(Glob::Op::split, 0, -1, next);
    std::int32_t any = state(op, 0, split);
    glob_.states_[static_cast<std::size_t>(split)].out = any;
    return split;
  }

  std::int32_t emit(const Piece& piece, std::int32_t next) {
    switch (piece.kind) {
      case Kind::literal:
        return state(Glob::Op::literal, piece.arg, next);
      case Kind::one:
        return state(Glob::Op::any, 0, next);
      case Kind::set:
        return state(Glob::Op::set, piece.arg, next);
      case Kind::star:
        return repeat(Glob::Op::any, next);
      case Kind::anything:
        return repeat(Glob::Op::any_all, next);
      case Kind::directories: {
        // Zero or more whole components: nothing, or anything that ends with '/'.
        std::int32_t slash = state(Glob::Op::literal, '/', next);
        std::int32_t components = repeat(Glob::Op::any_all, slash);
        return state(Glob::Op::split, 0, components, next);
      }
    }
    return next;
  }

  Glob& glob_;
};

Result<Glob> Glob::compile(std::string_view pattern) {
  Glob glob;
  glob.pattern_ = std::string(pattern);
  std::string text(pattern);
  for (char& c : text) {
    if (c == '\\') c = '/';
  }
  std::vector<std::string> plain;
  if (auto error = BraceExpander(text).expand(plain)) return Error{*error};

  if (plain.size() == 1) {
    std::string& only = plain[0];
    std::string_view rest = std::string_view(only).substr(std::min<std::size_t>(3, only.size()));
    if (only.starts_with("**/") && rest.find('/') == std::string_view::npos &&
        rest.find("**") == std::string_view::npos) {
      glob.last_component_ = true;
      only = std::string(rest);
    }
    std::size_t literal = only.find_last_of("*?[]");
    glob.suffix_ = literal == std::string::npos ? only : only.substr(literal + 1);
    // The '/' after a "**" component belongs to the optional directories, not to the suffix.
    if (literal != std::string::npos && literal > 0 && only[literal] == '*' && only[literal - 1] == '*' &&
        glob.suffix_.starts_with('/')) {
      glob.suffix_.erase(0, 1);
    }
    glob.suffix_decides_ = only.size() == glob.suffix_.size() + 1 && only[0] == '*' &&
                           glob.suffix_.find('/') == std::string::npos;
  }

  GlobCompiler compiler(glob);
  std::int32_t match = compiler.state(Op::match, 0, -1);
  std::int32_t start = -1;
  for (auto it = plain.rbegin(); it != plain.rend(); ++it) {
    auto alternative = compiler.add(*it, match);
    if (!alternative.ok()) return Error{alternative.error()};
    start = start < 0 ? *alternative : compiler.state(Op::split, 0, *alternative, start);
  }
  if (start < 0) return Error{"pattern expands to nothing"};  // brace expansion yields at least one
  glob.start_ = start;
  return glob;
}

bool Glob::matches(std::string_view path) const {
  if (last_component_) {
    std::size_t slash = path.rfind('/');
    if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
  }
  if (!path.ends_with(suffix_)) return false;
  if (suffix_decides_) return path.find('/') == std::string_view::npos;
  // Scratch space reused across calls on this thread; matching allocates nothing once warm.
  struct Scratch {
    std::vector<std::int32_t> current, next, stack;
    std::vector<std::uint32_t> seen;
    std::uint32_t generation = 0;
  };
  thread_local Scratch scratch;
  auto& current = scratch.current;
  auto& next = scratch.next;
  auto& stack = scratch.stack;
  auto& seen = scratch.seen;
  auto& generation = scratch.generation;
  current.clear();
  stack.clear();
  if (seen.size() < states_.size()) seen.resize(states_.size(), 0);
  if (generation > 0xFFFF0000u) {
    std::fill(seen.begin(), seen.end(), 0);
    generation = 0;
  }

  auto add_all = [&](std::vector<std::int32_t>& list, std::int32_t first) {
    stack.push_back(first);
    while (!stack.empty()) {
      std::int32_t id = stack.back();
      stack.pop_back();
      auto index = static_cast<std::size_t>(id);
      if (seen[index] == generation) continue;
      seen[index] = generation;
      const State& s = states_[index];
      if (s.op == Op::split) {
        stack.push_back(s.out1);
        stack.push_back(s.out);
      } else {
        list.push_back(id);
      }
    }
  };

  ++generation;
  add_all(current, start_);
  std::size_t pos = 0;
  while (pos < path.size() && !current.empty()) {
    std::uint32_t cp = decode_at(path, pos);
    ++generation;
    next.clear();
    for (std::int32_t id : current) {
      const State& s = states_[static_cast<std::size_t>(id)];
      bool ok = false;
      switch (s.op) {
        case Op::literal:
          ok = s.arg == cp;
          break;
        case Op::any:
          ok = cp != '/';
          break;
        case Op::any_all:
          ok = true;
          break;
        case Op::set: {
          if (cp == '/') break;
          const CharClass& cls = classes_[s.arg];
          bool in = false;
          for (const Range& r : cls.ranges) in = in || (r.lo <= cp && cp <= r.hi);
          ok = in != cls.negated;
          break;
        }
        case Op::split:
        case Op::match:
          break;
      }
      if (ok) add_all(next, s.out);
    }
    current.swap(next);
  }
  if (pos < path.size()) return false;
  for (std::int32_t id : current) {
    if (states_[static_cast<std::size_t>(id)].op == Op::match) return true;
  }
  return false;
}

Result<Glob> compile_glob(std::string_view pattern, std::string_view label) {
  if (pattern.empty()) return Error{std::string(label) + " glob must not be empty"};
  auto glob = Glob::compile(pattern);
  if (!glob.ok()) {
    return Error{"invalid " + std::string(label) + " glob " + quote(pattern) + ": " + glob.error()};
  }
  return glob;
}

bool any_matches(const std::vector<Glob>& globs, std::string_view path) {
  for (const Glob& glob : globs) {
    if (glob.matches(path)) return true;
  }
  return false;
}

}  // namespace tovik::config
