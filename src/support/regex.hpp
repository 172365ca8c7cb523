// Regular expressions over UTF-8 text (PCRE2 with Unicode properties and JIT). A `Regex` is compiled
// once and then only read, so one instance may be shared by any number of threads.
//
//   static const tovik::regex::Regex kUrl(R"((?i)www\.[^\s<>]+)");
//   for (const auto& m : kUrl.find_all(text)) use(m.start, m.end);
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/result.hpp"

namespace tovik::regex {

// A half-open byte range of the subject text.
struct Range {
  std::size_t start = 0;
  std::size_t end = 0;
  bool operator==(const Range&) const = default;
};

// One match: the whole match and every capture group by number (group 0 is the whole match); a group
// that did not take part in the match is absent.
struct Match {
  std::size_t start = 0;
  std::size_t end = 0;
  std::vector<std::optional<Range>> groups;
};

class Regex {
 public:
  // Compiles `pattern` (UTF mode, Unicode properties for \w, \d, \s, \b and POSIX classes). Inline
  // options such as (?i) and (?s) select case-insensitive and dot-all matching.
  static Result<Regex> compile(std::string_view pattern);

  // For patterns written into the program: an invalid one is a programming error and aborts with
  // the compiler's message. Meant for function-local statics.
  explicit Regex(std::string_view pattern);

  // Subjects are UTF-8; text that is not valid UTF-8 has no matches.
  // The first match starting at or after byte `from` (which must be a character boundary).
  std::optional<Match> find(std::string_view text, std::size_t from = 0) const;
  // Every non-overlapping match, left to right. After an empty match the search moves on by one
  // character, so the list is finite.
  std::vector<Match> find_all(std::string_view text) const;
  bool is_match(std::string_view text) const { return find(text).has_value(); }

  // The number of a named group, or nothing when the pattern has no group of that name.
  std::optional<std::size_t> group_index(std::string_view name) const;
  const std::string& pattern() const { return pattern_; }

 private:
  struct Code;
  Regex(std::string pattern, std::shared_ptr<const Code> code);

  std::string pattern_;
  std::shared_ptr<const Code> code_;
};

}  // namespace tovik::regex
