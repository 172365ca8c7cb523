#include "diagnostics/diagnostic.hpp"

#include <gtest/gtest.h>

#include "build_info.hpp"

namespace tovik::diagnostics {
namespace {

TEST(PositionOf, Cases) {
  struct Case {
    std::string text;
    std::size_t offset;
    Position expected;
  };
  const Case cases[] = {
      {"", 0, {1, 1}},
      {"abc", 0, {1, 1}},
      {"abc", 3, {1, 4}},
      {"abc", 99, {1, 4}},                 // clamped to the end
      {"a\nb\nccc\nd", 7, {3, 4}},         // the \n ending line 3
      {"a\nb\nccc\nd", 8, {4, 1}},
      {"a\r\nb", 2, {1, 2}},               // inside the CRLF terminator
      {"a\r\nb", 3, {2, 1}},               // CRLF ends one line, not two
      {"a\rb", 2, {2, 1}},                 // a lone CR ends a line
      {"a\n\rb", 3, {3, 1}},               // LF then CR: two terminators
      {"x\n", 2, {2, 1}},                  // the empty last line
      {"\xC3\xA9t\xC3\xA9", 3, {1, 3}},    // multi-byte characters count once
      {"\xC3\xA9t\xC3\xA9", 4, {1, 3}},    // inside a character: its start
      {"\xE4\xB8\xAD\xE6\x96\x87", 3, {1, 2}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(position_of(c.text, c.offset), c.expected) << "offset " << c.offset << " of " << c.text;
  }
}

TEST(NormalizeRange, ClampsAndMovesToBoundaries) {
  std::string text = "a\xC3\xA9z";  // 4 bytes
  EXPECT_EQ(normalize_range(text, {1, 3}), (ByteRange{1, 3}));
  EXPECT_EQ(normalize_range(text, {2, 3}), (ByteRange{1, 3}));
  EXPECT_EQ(normalize_range(text, {0, 2}), (ByteRange{0, 1}));
  EXPECT_EQ(normalize_range(text, {3, 1}), (ByteRange{3, 3}));
  EXPECT_EQ(normalize_range(text, {10, 20}), (ByteRange{4, 4}));
}

TEST(MakeDiagnostic, PositionsUrlAndDefaults) {
  std::string text = "# T\n\nSee [b](../b.md) now.\n";
  auto d = make_diagnostic("LNK001", "m", "docs/a.md", text, {9, 25}, "s");
  EXPECT_EQ(d.location, (Position{3, 5}));
  EXPECT_EQ(d.end_location, (Position{3, 21}));
  ASSERT_TRUE(d.url.has_value());
  EXPECT_EQ(*d.url, std::string(build_info::repository_url) + "/blob/v0.4.0/docs/rules/LNK001.md");
  EXPECT_FALSE(d.fix.has_value());
  EXPECT_TRUE(d.related.empty());
  EXPECT_FALSE(d.unused_code.has_value());
  EXPECT_FALSE(make_diagnostic("CONFIG", "m", "a.md", text, {0, 1}, "s").url.has_value());
}

Diagnostic diag(std::string file, std::uint64_t row, std::uint64_t col, std::string code, std::string message = "m") {
  Diagnostic d;
  d.filename = std::move(file);
  d.location = {row, col};
  d.end_location = {row, col};
  d.code = std::move(code);
  d.message = std::move(message);
  return d;
}

TEST(Order, FieldsInPriority) {
  std::vector<Diagnostic> ds{
      diag("b.md", 1, 1, "KND001"),  diag("a.md", 2, 1, "KND001"), diag("a.md", 1, 5, "KND001"),
      diag("a.md", 1, 5, "KND001", "a"), diag("a.md", 1, 2, "SUP001"), diag("a.md", 1, 2, "LNK001"),
  };
  sort_diagnostics(ds);
  std::vector<std::string> order;
  for (const auto& d : ds) {
    order.push_back(d.filename + ":" + std::to_string(d.location.row) + ":" + std::to_string(d.location.column) +
                    ":" + d.code + ":" + d.message);
  }
  EXPECT_EQ(order, (std::vector<std::string>{"a.md:1:2:LNK001:m", "a.md:1:2:SUP001:m", "a.md:1:5:KND001:a",
                                             "a.md:1:5:KND001:m", "a.md:2:1:KND001:m", "b.md:1:1:KND001:m"}));
}

TEST(Order, LaterFieldsBreakTies) {
  Diagnostic base = diag("a.md", 1, 1, "SUP002");
  Diagnostic with_fix = base;
  with_fix.fix = Fix{"Remove", Applicability::safe, {{{0, 3}, ""}}};
  Diagnostic unsafe_fix = with_fix;
  unsafe_fix.fix->applicability = Applicability::unsafe;
  Diagnostic with_url = base;
  with_url.url = "u";
  Diagnostic with_unused = base;
  with_unused.unused_code = "KND001";
  Diagnostic later_range = base;
  later_range.byte_range = {0, 9};

  EXPECT_LT(compare(base, with_fix), 0);        // absent fix first
  EXPECT_LT(compare(with_fix, unsafe_fix), 0);  // safe before unsafe
  EXPECT_LT(compare(base, with_url), 0);
  EXPECT_LT(compare(base, with_unused), 0);
  EXPECT_LT(compare(base, later_range), 0);
  EXPECT_EQ(compare(base, base), 0);

  Diagnostic one_related = base, two_related = base;
  one_related.related = {{"b.md", {1, 1}, {1, 1}, {0, 0}, "x"}};
  two_related.related = {{"b.md", {1, 1}, {1, 1}, {0, 0}, "x"}, {"a.md", {1, 1}, {1, 1}, {0, 0}, "x"}};
  EXPECT_LT(compare(one_related, two_related), 0);  // a prefix comes first
}

TEST(Order, RelatedSortedAndStableForEquals) {
  Diagnostic d = diag("a.md", 1, 1, "DUP001");
  d.related = {{"c.md", {1, 1}, {1, 1}, {0, 0}, "x"}, {"b.md", {2, 1}, {2, 1}, {5, 5}, "y"},
               {"b.md", {1, 1}, {1, 1}, {0, 0}, "z"}};
  Diagnostic first = diag("a.md", 1, 1, "KND001", "same");
  first.suggestion = "1";
  Diagnostic second = first;
  std::vector<Diagnostic> ds{d, first, second};
  sort_diagnostics(ds);
  ASSERT_EQ(ds.size(), 3u);
  EXPECT_EQ(ds[0].code, "DUP001");
  EXPECT_EQ(ds[0].related[0].message, "z");
  EXPECT_EQ(ds[0].related[1].message, "y");
  EXPECT_EQ(ds[0].related[2].filename, "c.md");
  EXPECT_EQ(ds[1], ds[2]);  // nothing removed
}

}  // namespace
}  // namespace tovik::diagnostics
