// The glob language of configuration files, compiled to a small automaton and matched against
// whole `/`-separated paths relative to a configuration's base directory.
//
//   *        any run of characters other than '/'
//   ?        any one character other than '/'
//   [a-z]    one character (not '/') from the set; [!a-z] one character not in it
//   {a,b}    any one of the comma-separated alternatives (alternatives may nest)
//   **       as a whole path component: any number of components
//
// Matching is case-sensitive, works on Unicode scalar values, and has no escape character:
// backslashes are path separators.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "support/result.hpp"

namespace tovik::config {

class Glob {
 public:
  // Compiles `pattern` as written (backslashes are turned into '/' first). The error is a short
  // description of the problem, such as "unclosed character class; missing ']'".
  static Result<Glob> compile(std::string_view pattern);

  // True when the whole of `path` (relative, '/'-separated) matches.
  bool matches(std::string_view path) const;
  // The pattern as written.
  const std::string& pattern() const { return pattern_; }

 private:
  enum class Op : std::uint8_t { literal, any, any_all, set, split, match };
  struct State {
    Op op;
    std::uint32_t arg;  // literal code point or class index
    std::int32_t out;
    std::int32_t out1;  // second branch of a split
  };
  struct Range {
    std::uint32_t lo, hi;
  };
  struct CharClass {
    bool negated;
    std::vector<Range> ranges;
  };
  friend class GlobCompiler;

  std::string pattern_;
  // Shortcuts for the common shapes "**/name" and "*.ext": the automaton then sees only the last
  // component, every match ends with `suffix_`, and "*" + suffix is decided by the suffix alone.
  bool last_component_ = false;
  std::string suffix_;
  bool suffix_decides_ = false;
  std::vector<State> states_;
  std::vector<CharClass> classes_;
  std::int32_t start_ = 0;
};

// Compiles a configuration glob for the setting named by `label` (for example "exclude"), with
// the messages "{} glob must not be empty" and "invalid {} glob {}: {}".
Result<Glob> compile_glob(std::string_view pattern, std::string_view label);

// True when any of `globs` matches `path`.
bool any_matches(const std::vector<Glob>& globs, std::string_view path);

}  // namespace tovik::config
