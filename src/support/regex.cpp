// The PCRE2 wrapper: compiled code shared read-only, match data created per call.
#include "support/regex.hpp"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstdio>
#include <cstdlib>

#include "support/utf8.hpp"

namespace tovik::regex {

struct Regex::Code {
  pcre2_code* code = nullptr;
  explicit Code(pcre2_code* c) : code(c) {}
  Code(const Code&) = delete;
  Code& operator=(const Code&) = delete;
  ~Code() { pcre2_code_free(code); }
};

namespace {

std::string error_text(int error_code) {
  PCRE2_UCHAR buffer[256];
  int n = pcre2_get_error_message(error_code, buffer, sizeof buffer);
  if (n < 0) return "unknown error " + std::to_string(error_code);
  return std::string(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(n));
}

struct MatchData {
  pcre2_match_data* data;
  explicit MatchData(const pcre2_code* code) : data(pcre2_match_data_create_from_pattern(code, nullptr)) {}
  MatchData(const MatchData&) = delete;
  MatchData& operator=(const MatchData&) = delete;
  ~MatchData() { pcre2_match_data_free(data); }
};

// One match attempt at `from`; `options` may hold PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED.
std::optional<Match> match_at(const pcre2_code* code, MatchData& md, std::string_view text, std::size_t from,
                              std::uint32_t options) {
  // The subject is checked for valid UTF-8 once by the caller of the scan, not on every attempt.
  int rc = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), from,
                       options | PCRE2_NO_UTF_CHECK, md.data, nullptr);
  if (rc < 0) return std::nullopt;
  PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(md.data);
  std::uint32_t pairs = pcre2_get_ovector_count(md.data);
  Match m;
  m.start = ovector[0];
  m.end = ovector[1];
  m.groups.reserve(pairs);
  for (std::uint32_t i = 0; i < pairs; ++i) {
    if (ovector[2 * i] == PCRE2_UNSET) {
      m.groups.push_back(std::nullopt);
    } else {
      m.groups.push_back(Range{ovector[2 * i], ovector[2 * i + 1]});
    }
  }
  return m;
}

// Subjects must be valid UTF-8 (PCRE2 in UTF mode rejects anything else); checking once per call
// lets every attempt skip PCRE2's own check.
bool usable(std::string_view text) {
  return utf8::is_valid(text);
}

}  // namespace

Regex::Regex(std::string pattern, std::shared_ptr<const Code> code)
    : pattern_(std::move(pattern)), code_(std::move(code)) {}

Result<Regex> Regex::compile(std::string_view pattern) {
  int error_code = 0;
  PCRE2_SIZE error_offset = 0;
  pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                                   PCRE2_UTF | PCRE2_UCP, &error_code, &error_offset, nullptr);
  if (code == nullptr) {
    return Error{error_text(error_code) + " at offset " + std::to_string(error_offset)};
  }
  // JIT is an optimisation: when it is unavailable the interpreter gives the same results.
  pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
  return Regex(std::string(pattern), std::make_shared<const Code>(code));
}

Regex::Regex(std::string_view pattern) {
  auto compiled = compile(pattern);
  if (!compiled) {
    std::fprintf(stderr, "internal error: invalid regular expression %.*s: %s\n",
                 static_cast<int>(pattern.size()), pattern.data(), compiled.error().c_str());
    std::abort();
  }
  *this = std::move(compiled.value());
}

std::optional<Match> Regex::find(std::string_view text, std::size_t from) const {
  if (from > text.size() || !usable(text)) return std::nullopt;
  MatchData md(code_->code);
  return match_at(code_->code, md, text, from, 0);
}

std::vector<Match> Regex::find_all(std::string_view text) const {
  std::vector<Match> out;
  if (!usable(text)) return out;
  MatchData md(code_->code);
  std::size_t from = 0;
  while (from <= text.size()) {
    auto m = match_at(code_->code, md, text, from, 0);
    if (!m) break;
    std::size_t end = m->end;
    bool empty = m->start == m->end;
    out.push_back(std::move(*m));
    if (!empty) {
      from = end;
      continue;
    }
    // After an empty match try a non-empty one at the same place, then move one character on.
    if (end < text.size()) {
      auto longer = match_at(code_->code, md, text, end, PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED);
      if (longer) {
        from = longer->end;
        out.push_back(std::move(*longer));
        continue;
      }
    }
    if (end >= text.size()) break;
    from = end + 1;
    while (from < text.size() && utf8::is_continuation(static_cast<unsigned char>(text[from]))) ++from;
  }
  return out;
}

std::optional<std::size_t> Regex::group_index(std::string_view name) const {
  std::string key(name);
  int n = pcre2_substring_number_from_name(code_->code, reinterpret_cast<PCRE2_SPTR>(key.c_str()));
  if (n < 0) return std::nullopt;
  return static_cast<std::size_t>(n);
}

}  // namespace tovik::regex
