// Fragments and their source mapping: exact and inexact segments, skipped markup, cutting.
#include "md/mapping.hpp"

#include <gtest/gtest.h>

namespace tovik::md {
namespace {

using Segments = std::vector<SourceSegment>;

SourceSegment exact(std::uint64_t t0, std::uint64_t t1, std::uint64_t s0, std::uint64_t s1) {
  return {{t0, t1}, {s0, s1}, true};
}
SourceSegment inexact(std::uint64_t t0, std::uint64_t t1, std::uint64_t s0, std::uint64_t s1) {
  return {{t0, t1}, {s0, s1}, false};
}

// Segments must cover the text in order without gaps.
void expect_covers(const Fragment& f) {
  std::uint64_t at = 0;
  for (const auto& s : f.mapping) {
    EXPECT_EQ(s.text.start, at) << f.text;
    at = s.text.end;
  }
  EXPECT_EQ(at, f.text.size()) << f.text;
}

struct MappingCase {
  const char* name;
  std::string source;
  FragmentKind kind;
  std::string text;
  Segments expected;
};

TEST(MakeFragment, AlignsTextWithSource) {
  const MappingCase cases[] = {
      {"identical", "Hello world", FragmentKind::text, "Hello world", {exact(0, 11, 0, 11)}},
      {"character reference",
       "a &amp; b",
       FragmentKind::text,
       "a & b",
       {exact(0, 2, 0, 2), inexact(2, 3, 2, 7), exact(3, 5, 7, 9)}},
      {"numeric reference", "&#35;1", FragmentKind::text, "#1", {inexact(0, 1, 0, 5), exact(1, 2, 5, 6)}},
      {"escaped asterisk", "\\*star", FragmentKind::text, "*star", {inexact(0, 1, 0, 2), exact(1, 5, 2, 6)}},
      {"backslash before a letter stays", "a\\b", FragmentKind::text, "a\\b", {exact(0, 3, 0, 3)}},
      {"unknown reference kept literally",
       "\\*&bogus;",
       FragmentKind::text,
       "*&bogus;",
       {inexact(0, 1, 0, 2), exact(1, 8, 2, 9)}},
      {"CRLF reads as a line feed",
       "a\r\nb",
       FragmentKind::text,
       "a\nb",
       {exact(0, 1, 0, 1), inexact(1, 2, 1, 3), exact(2, 3, 3, 4)}},
      {"lone CR",
       "a\rb",
       FragmentKind::text,
       "a\nb",
       {exact(0, 1, 0, 1), inexact(1, 2, 1, 2), exact(2, 3, 2, 3)}},
      {"blockquote continuation",
       "a\n> b",
       FragmentKind::text,
       "a\nb",
       {exact(0, 2, 0, 2), exact(2, 3, 4, 5)}},
      {"CRLF kept in the text", "a\r\n> b", FragmentKind::text, "a\r\nb", {exact(0, 3, 0, 3), exact(3, 4, 5, 6)}},
      {"nested quote and indentation",
       "one\n  > >\ttwo",
       FragmentKind::text,
       "one\ntwo",
       {exact(0, 4, 0, 4), exact(4, 7, 10, 13)}},
      {"blank before a line ending",
       "a \t\nb",
       FragmentKind::text,
       "a\nb",
       {exact(0, 1, 0, 1), exact(1, 3, 3, 5)}},
      {"hard break node", "  \n", FragmentKind::text, "\n", {exact(0, 1, 2, 3)}},
      {"NUL",
       std::string("a\0b", 3),
       FragmentKind::text,
       "a\xEF\xBF\xBD"
       "b",
       {exact(0, 1, 0, 1), inexact(1, 4, 1, 2), exact(4, 5, 2, 3)}},
      {"multi-byte text",
       "中&amp;文",
       FragmentKind::text,
       "中&文",
       {exact(0, 3, 0, 3), inexact(3, 4, 3, 8), exact(4, 7, 8, 11)}},
      {"link text inside brackets",
       "[a &lt; b](x)",
       FragmentKind::link_text,
       "a < b",
       {inexact(0, 5, 0, 13)}},
      {"no alignment", "abc", FragmentKind::text, "xyz", {inexact(0, 3, 0, 3)}},
      {"text longer than source", "ab", FragmentKind::text, "abc", {inexact(0, 3, 0, 2)}},
      {"empty label", "[](x.md)", FragmentKind::link_text, "", {}},
      // Code spans: fences stripped, escapes and references literal, line endings read as spaces.
      {"code span", "`a.b`", FragmentKind::inline_code, "a.b", {exact(0, 3, 1, 4)}},
      {"padded code span", "`` a`b ``", FragmentKind::inline_code, "a`b", {exact(0, 3, 3, 6)}},
      {"code keeps escapes", "` \\* &amp; `", FragmentKind::inline_code, "\\* &amp;", {exact(0, 8, 2, 10)}},
      {"code line ending",
       "`a\r\nb`",
       FragmentKind::inline_code,
       "a b",
       {exact(0, 1, 1, 2), inexact(1, 2, 2, 4), exact(2, 3, 4, 5)}},
      {"code across a quote line",
       "`a\n> b`",
       FragmentKind::inline_code,
       "a b",
       {exact(0, 1, 1, 2), inexact(1, 2, 2, 3), exact(2, 3, 5, 6)}},
  };
  for (const auto& c : cases) {
    Fragment f = make_fragment(c.source, c.kind, c.text, {0, c.source.size()});
    EXPECT_EQ(f.kind, c.kind) << c.name;
    EXPECT_EQ(f.text, c.text) << c.name;
    EXPECT_EQ(f.span, (Span{0, c.source.size()})) << c.name;
    EXPECT_EQ(f.mapping, c.expected) << c.name;
    expect_covers(f);
  }
}

TEST(MakeFragment, OffsetsAreIntoTheWholeSource) {
  std::string source = "# T\n\nSee &copy; here.";
  Fragment f = make_fragment(source, FragmentKind::text, "See \xC2\xA9 here.", {5, source.size()});
  EXPECT_EQ(f.mapping, (Segments{exact(0, 4, 5, 9), inexact(4, 6, 9, 15), exact(6, 12, 15, 21)}));
}

TEST(MakeFragment, RangeOutsideTheSourceFallsBackSafely) {
  Fragment f = make_fragment("abc", FragmentKind::text, "abc", {2, 99});
  EXPECT_EQ(f.span, (Span{2, 99}));
  EXPECT_EQ(f.mapping, (Segments{inexact(0, 3, 2, 3)}));
}

TEST(MapTextRange, ExactByOffsetInexactAsAWhole) {
  std::string source = "x &amp; yz";
  Fragment f = make_fragment(source, FragmentKind::text, "x & yz", {0, source.size()});
  EXPECT_EQ(map_text_range(f, 4, 6), (Span{8, 10}));  // "yz"
  EXPECT_EQ(map_text_range(f, 2, 3), (Span{2, 7}));   // "&": the whole reference
  EXPECT_EQ(map_text_range(f, 0, 6), (Span{0, 10}));
  EXPECT_EQ(map_text_range(f, 1, 3), (Span{1, 7}));    // a space and the reference
  EXPECT_EQ(map_text_range(f, 5, 5), (Span{9, 9}));    // a point in exact text
  EXPECT_EQ(map_text_range(f, 6, 6), (Span{10, 10}));  // the end
}

TEST(CutFragment, RestrictsTextSpanAndMapping) {
  std::string source = "Go &amp; stop. Then";
  Fragment f = make_fragment(source, FragmentKind::text, "Go & stop. Then", {0, source.size()});
  Fragment head = cut_fragment(f, 0, 10);
  EXPECT_EQ(head.text, "Go & stop.");
  EXPECT_EQ(head.span, (Span{0, 14}));
  EXPECT_EQ(head.mapping, (Segments{exact(0, 3, 0, 3), inexact(3, 4, 3, 8), exact(4, 10, 8, 14)}));
  Fragment tail = cut_fragment(f, 11, 15);
  EXPECT_EQ(tail.text, "Then");
  EXPECT_EQ(tail.span, (Span{15, 19}));
  EXPECT_EQ(tail.mapping, (Segments{exact(0, 4, 15, 19)}));
  expect_covers(head);
  expect_covers(tail);

  // An empty cut has no segments and sits at a point.
  Fragment empty = cut_fragment(f, 11, 11);
  EXPECT_EQ(empty.text, "");
  EXPECT_TRUE(empty.mapping.empty());
  EXPECT_EQ(empty.span, (Span{15, 15}));
  EXPECT_EQ(map_text_range(empty, 0, 0), (Span{15, 15}));
}

TEST(CutFragment, InexactSegmentKeepsItsWholeSource) {
  Fragment f = make_fragment("[a b. c](u)", FragmentKind::link_text, "a b. c", {0, 11});
  Fragment tail = cut_fragment(f, 5, 6);
  EXPECT_EQ(tail.text, "c");
  EXPECT_EQ(tail.span, (Span{0, 11}));
  EXPECT_EQ(tail.mapping, (Segments{inexact(0, 1, 0, 11)}));
}

}  // namespace
}  // namespace tovik::md
