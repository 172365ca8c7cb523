#include "md/html_comments.hpp"

#include <gtest/gtest.h>

namespace tovik::md {
namespace {

std::vector<HtmlComment> scan_all(const std::vector<std::string>& nodes) {
  HtmlCommentScanner scanner;
  std::vector<HtmlComment> out;
  std::uint64_t offset = 0;
  for (const auto& node : nodes) {
    scanner.scan(node, offset, out);
    offset += node.size() + 1;
  }
  return out;
}

TEST(HtmlComments, FindsCommentsWithSpansAndContent) {
  auto found = scan_all({"<!-- a --><!--B-->"});
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].content, " a ");
  EXPECT_EQ(found[0].span, (Span{0, 10}));
  EXPECT_EQ(found[1].content, "B");
  EXPECT_EQ(found[1].span, (Span{10, 18}));
  auto offset = scan_all({"<p>", "x <!--c--> y"});
  ASSERT_EQ(offset.size(), 1u);
  EXPECT_EQ(offset[0].span, (Span{6, 14}));
}

TEST(HtmlComments, RawTextElementsHideComments) {
  EXPECT_TRUE(scan_all({"<script>\n<!-- not -->\n"}).empty());
  // The element stays open across nodes until its closing tag, matched case-insensitively.
  auto later = scan_all({"<SCRIPT type=\"x\">", "<!-- hidden -->", "</Script >", "<!-- seen -->"});
  ASSERT_EQ(later.size(), 1u);
  EXPECT_EQ(later[0].content, " seen ");
  // "</scriptx" does not close a script element.
  EXPECT_TRUE(scan_all({"<script></scriptx><!--no-->"}).empty());
  // A quoted '>' does not end the tag.
  EXPECT_TRUE(scan_all({"<style title='a>b'><!--no-->"}).empty());
  EXPECT_EQ(scan_all({"<div class=\"a>b\"><!--yes-->"}).size(), 1u);
}

TEST(HtmlComments, UnterminatedAndCdata) {
  EXPECT_TRUE(scan_all({"<!-- never closed"}).empty());
  EXPECT_TRUE(scan_all({"<![CDATA[ <!-- x --> ]]>"}).empty());
  EXPECT_EQ(scan_all({"<![CDATA[ x ]]><!--y-->"}).size(), 1u);
  EXPECT_EQ(scan_all({"<!---->"}).at(0).content, "");
}

}  // namespace
}  // namespace tovik::md
