// Diagnostics: positions, range normalisation, documentation links and ordering.
#include "diagnostics/diagnostic.hpp"

#include <algorithm>

#include "build_info.hpp"
#include "rules/catalogue.hpp"
#include "support/utf8.hpp"

namespace tovik::diagnostics {

LineTable::LineTable(std::string_view text) {
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == '\n' || c == '\r') {
      lines_.push_back({start, i});
      i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  lines_.push_back({start, text.size()});
}

std::size_t LineTable::line_of(std::size_t offset) const {
  auto it = std::upper_bound(lines_.begin(), lines_.end(), offset,
                             [](std::size_t value, const Line& line) { return value < line.start; });
  return static_cast<std::size_t>(it - lines_.begin()) - 1;
}

Position LineTable::position_of(std::string_view text, std::size_t offset) const {
  offset = utf8::floor_boundary(text, offset);
  std::size_t index = line_of(offset);
  const Line& line = lines_[index];
  std::size_t upto = std::min(offset, line.end);
  return {index + 1, utf8::count_chars(text.substr(line.start, upto - line.start)) + 1};
}

Position position_of(std::string_view text, std::size_t offset) {
  return LineTable(text).position_of(text, offset);
}

ByteRange normalize_range(std::string_view text, ByteRange range) {
  std::size_t start = utf8::floor_boundary(text, static_cast<std::size_t>(std::min<std::uint64_t>(range.start, text.size())));
  std::size_t end = utf8::floor_boundary(text, static_cast<std::size_t>(std::min<std::uint64_t>(range.end, text.size())));
  if (end < start) end = start;
  return {start, end};
}

std::optional<std::string> documentation_url(std::string_view code) {
  if (!rules::rule_spec(code)) return std::nullopt;
  std::string page = "docs/rules/" + std::string(code) + ".md";
  std::string tag = page.starts_with("spec/") ? "spec-v" + std::string(rules::convention_version)
                                              : "v" + std::string(rules::program_version);
  return std::string(build_info::repository_url) + "/blob/" + tag + "/" + page;
}

Diagnostic make_diagnostic(std::string code, std::string message, std::string filename, std::string_view text,
                           ByteRange range, std::string suggestion) {
  Diagnostic d;
  d.url = documentation_url(code);
  d.code = std::move(code);
  d.message = std::move(message);
  d.filename = std::move(filename);
  d.byte_range = normalize_range(text, range);
  LineTable table(text);
  d.location = table.position_of(text, d.byte_range.start);
  d.end_location = table.position_of(text, d.byte_range.end);
  d.suggestion = std::move(suggestion);
  return d;
}

RelatedLocation make_related(std::string filename, std::string_view text, ByteRange range, std::string message) {
  RelatedLocation r;
  r.filename = std::move(filename);
  r.byte_range = normalize_range(text, range);
  LineTable table(text);
  r.location = table.position_of(text, r.byte_range.start);
  r.end_location = table.position_of(text, r.byte_range.end);
  r.message = std::move(message);
  return r;
}

namespace {

template <typename T>
int cmp(const T& a, const T& b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

int cmp_str(std::string_view a, std::string_view b) {
  int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

template <typename T, typename F>
int cmp_optional(const std::optional<T>& a, const std::optional<T>& b, F f) {
  if (!a || !b) return cmp(a.has_value(), b.has_value());
  return f(*a, *b);
}

template <typename T, typename F>
int cmp_list(const std::vector<T>& a, const std::vector<T>& b, F f) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    if (int c = f(a[i], b[i])) return c;
  }
  return cmp(a.size(), b.size());
}

int cmp_edit(const Edit& a, const Edit& b) {
  if (int c = cmp(a.byte_range, b.byte_range)) return c;
  return cmp_str(a.content, b.content);
}

int cmp_fix(const Fix& a, const Fix& b) {
  if (int c = cmp_str(a.message, b.message)) return c;
  if (int c = cmp(a.applicability, b.applicability)) return c;
  return cmp_list(a.edits, b.edits, cmp_edit);
}

}  // namespace

int compare(const RelatedLocation& a, const RelatedLocation& b) {
  if (int c = cmp_str(a.filename, b.filename)) return c;
  if (int c = cmp(a.location, b.location)) return c;
  if (int c = cmp(a.end_location, b.end_location)) return c;
  if (int c = cmp(a.byte_range, b.byte_range)) return c;
  return cmp_str(a.message, b.message);
}

int compare(const Diagnostic& a, const Diagnostic& b) {
  if (int c = cmp_str(a.filename, b.filename)) return c;
  if (int c = cmp(a.location, b.location)) return c;
  if (int c = cmp_str(a.code, b.code)) return c;
  if (int c = cmp_str(a.message, b.message)) return c;
  if (int c = cmp(a.end_location, b.end_location)) return c;
  if (int c = cmp(a.byte_range, b.byte_range)) return c;
  if (int c = cmp_optional(a.fix, b.fix, cmp_fix)) return c;
  if (int c = cmp_optional(a.url, b.url, cmp_str)) return c;
  if (int c = cmp_list(a.related, b.related,
                       [](const RelatedLocation& x, const RelatedLocation& y) { return compare(x, y); }))
    return c;
  if (int c = cmp_str(a.suggestion, b.suggestion)) return c;
  return cmp_optional(a.unused_code, b.unused_code, cmp_str);
}

void sort_diagnostics(std::vector<Diagnostic>& diagnostics) {
  for (auto& d : diagnostics) {
    std::stable_sort(d.related.begin(), d.related.end(),
                     [](const RelatedLocation& a, const RelatedLocation& b) { return compare(a, b) < 0; });
  }
  std::stable_sort(diagnostics.begin(), diagnostics.end(),
                   [](const Diagnostic& a, const Diagnostic& b) { return compare(a, b) < 0; });
}

}  // namespace tovik::diagnostics
