#include "diagnostics/outputs/text.hpp"

#include <gtest/gtest.h>

namespace tovik::diagnostics {
namespace {

TEST(RenderText, WorkedExample) {
  std::string text;
  for (int i = 1; i <= 11; ++i) text += "line " + std::to_string(i) + "\n";
  std::size_t start = text.size() + 4;
  text += "See [b](../b.md) for details.\n";
  auto d = make_diagnostic("LNK001", "Local link target ../b.md does not exist in the workspace.", "docs/a.md",
                           text, {start, start + 4}, "Update the path or restore the target.");
  std::string other = "# C\n";
  d.related.push_back(make_related("docs/c.md", other, {0, 3}, "Heading here."));
  SourceMap sources{{"docs/a.md", text}};
  EXPECT_EQ(render_text({d}, sources),
            "docs/a.md:12:5: LNK001 Local link target ../b.md does not exist in the workspace.\n"
            "    |\n"
            " 12 | See [b](../b.md) for details.\n"
            "    |\n"
            "   = suggestion: Update the path or restore the target.\n"
            "   = related: docs/c.md:1:1: Heading here.\n"
            "\n"
            "Found 1 diagnostic.\n");
}

TEST(RenderText, ExcerptSpansLinesWithWideGutter) {
  std::string text = "1\n2\n3\n4\n5\n6\n7\n8\nnine\nten\neleven\n";
  std::size_t nine = text.find("nine");
  std::size_t eleven = text.find("eleven");
  // Ends at column 1 of line 11: line 11 is not shown, so the gutter fits "10".
  auto d = make_diagnostic("KND001", "m", "a.md", text, {nine, eleven}, "s");
  SourceMap sources{{"a.md", text}};
  EXPECT_EQ(render_text({d}, sources),
            "a.md:9:1: KND001 m\n"
            "    |\n"
            "  9 | nine\n"
            " 10 | ten\n"
            "    |\n"
            "   = suggestion: s\n"
            "\n"
            "Found 1 diagnostic.\n");
}

TEST(RenderText, EmptyRangeAtLineStartAndCrlf) {
  std::string text = "a\r\nb\r\n";
  auto d = make_diagnostic("KND001", "m", "a.md", text, {3, 3}, "s");
  SourceMap sources{{"a.md", text}};
  EXPECT_EQ(render_text({d}, sources), "a.md:2:1: KND001 m\n   |\n 2 | b\n   |\n   = suggestion: s\n\nFound 1 diagnostic.\n");
}

TEST(RenderText, NoSourceNoExcerptAndCounts) {
  std::string text = "x\n";
  auto d = make_diagnostic("KND001", "line\nfeed\r", "a.md", text, {0, 1}, "");
  EXPECT_EQ(render_text({d}, {}), "a.md:1:1: KND001 line\\nfeed\\r\n   = suggestion: \n\nFound 1 diagnostic.\n");
  EXPECT_EQ(render_text({}, {}), "No diagnostics.\n");
  std::string two = render_text({d, d}, {});
  EXPECT_TRUE(two.ends_with("\nFound 2 diagnostics.\n"));
}

TEST(RenderConcise, OneLinePerDiagnostic) {
  std::string text = "ab\ncd\n";
  auto d = make_diagnostic("LNK001", "Broken\r\nlink.", "docs/a.md", text, {4, 5}, "Fix it.");
  d.related.push_back(make_related("b.md", "x", {0, 1}, "There."));
  d.related.push_back(make_related("c.md", "y\nz", {2, 3}, "Also."));
  auto plain = make_diagnostic("KND001", "Missing.", "b.md", text, {0, 0}, "");
  EXPECT_EQ(render_concise({d, plain}),
            "docs/a.md:2:2: LNK001 Broken\\r\\nlink. Suggestion: Fix it. Related: b.md:1:1: There. Related: "
            "c.md:2:1: Also.\n"
            "b.md:1:1: KND001 Missing. Suggestion: \n");
  EXPECT_EQ(render_concise({}), "");
}

}  // namespace
}  // namespace tovik::diagnostics
