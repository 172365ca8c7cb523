#include "md/convert.hpp"

#include <gtest/gtest.h>

namespace tovik::md {
namespace {

Document parse(std::string text) {
  auto doc = parse_document(std::move(text));
  EXPECT_TRUE(doc.ok());
  return std::move(*doc);
}

std::string slice(const Document& doc, Span span) { return doc.source.substr(span.start, span.end - span.start); }

TEST(Convert, EmptyFile) {
  Document doc = parse("");
  ASSERT_EQ(doc.sections.size(), 1u);
  EXPECT_EQ(doc.sections[0].depth, 0);
  EXPECT_EQ(doc.sections[0].span, (Span{0, 0}));
  EXPECT_FALSE(doc.sections[0].parent.has_value());
  EXPECT_TRUE(doc.blocks.empty());
  EXPECT_TRUE(doc.sentences.empty());
  EXPECT_FALSE(doc.frontmatter.has_value());
  EXPECT_EQ(doc.language, Language::en);
}

TEST(Convert, SectionTreeAndSpans) {
  std::string text = "Intro.\n\n# One\n\n## Two\n\ntext\n\n## Three\n\n### Deep\n\n# Four\n";
  Document doc = parse(text);
  ASSERT_EQ(doc.sections.size(), 6u);
  EXPECT_EQ(doc.sections[0].children, (std::vector<std::uint32_t>{1, 5}));
  EXPECT_EQ(doc.sections[1].children, (std::vector<std::uint32_t>{2, 3}));
  EXPECT_EQ(doc.sections[2].parent, 1u);
  EXPECT_EQ(doc.sections[3].parent, 1u);
  EXPECT_EQ(doc.sections[4].parent, 3u);
  EXPECT_EQ(doc.sections[2].span.end, text.find("## Three"));  // a sibling closes it
  EXPECT_EQ(doc.sections[1].span.end, text.find("# Four"));
  EXPECT_EQ(doc.sections[4].span.end, text.find("# Four"));
  EXPECT_EQ(doc.sections[5].span.end, text.size());
  EXPECT_EQ(doc.sections[2].heading, "Two");
  EXPECT_EQ(slice(doc, *doc.sections[2].heading_span), "## Two");
  // The intro paragraph belongs to the root; each heading block to its own section.
  EXPECT_EQ(doc.sections[0].blocks, (std::vector<std::uint32_t>{0}));
  EXPECT_EQ(doc.blocks[1].kind, BlockKind::heading);
  EXPECT_EQ(doc.blocks[1].section, 1u);
}

TEST(Convert, SkippedLevelIsStillAChild) {
  Document doc = parse("# A\n\n### C\n");
  ASSERT_EQ(doc.sections.size(), 3u);
  EXPECT_EQ(doc.sections[2].parent, 1u);
  EXPECT_EQ(doc.sections[2].depth, 3);
}

TEST(Convert, BlocksNestingAndFields) {
  Document doc = parse("- [x] done\n- plain\n\n> quoted\n\n```sh\nls\n```\n\n1. one\n\n<!-- c -->\n\n<div>x</div>\n\n---\n");
  std::vector<BlockKind> kinds;
  for (const auto& b : doc.blocks) kinds.push_back(b.kind);
  EXPECT_EQ(kinds, (std::vector<BlockKind>{BlockKind::list, BlockKind::list_item, BlockKind::paragraph,
                                           BlockKind::list_item, BlockKind::paragraph, BlockKind::blockquote,
                                           BlockKind::paragraph, BlockKind::code, BlockKind::list,
                                           BlockKind::list_item, BlockKind::paragraph, BlockKind::html_comment,
                                           BlockKind::html, BlockKind::thematic_break}));
  EXPECT_EQ(doc.blocks[0].ordered, false);
  EXPECT_EQ(doc.blocks[8].ordered, true);
  EXPECT_EQ(doc.blocks[1].checked, true);
  EXPECT_EQ(doc.blocks[3].checked, std::nullopt);
  EXPECT_EQ(doc.blocks[2].ordered, std::nullopt);
  EXPECT_EQ(doc.blocks[7].code_language, "sh");
  EXPECT_EQ(doc.blocks[0].children, (std::vector<std::uint32_t>{1, 3}));
  EXPECT_EQ(doc.blocks[2].parent, 1u);
  EXPECT_FALSE(doc.blocks[0].parent.has_value());
  ASSERT_EQ(doc.comments.size(), 1u);
  EXPECT_EQ(doc.comments[0].content, " c ");
}

TEST(Convert, FrontmatterIsNotABlock) {
  Document doc = parse("\xEF\xBB\xBF---\nkind: howto\n---\n# T\n");
  ASSERT_TRUE(doc.frontmatter.has_value());
  EXPECT_EQ(doc.frontmatter->kind, "howto");
  EXPECT_TRUE(doc.frontmatter->errors.empty());
  ASSERT_EQ(doc.blocks.size(), 1u);
  EXPECT_EQ(doc.blocks[0].kind, BlockKind::heading);

  Document unclosed = parse("---\ntitle: x\n");
  ASSERT_TRUE(unclosed.frontmatter.has_value());
  EXPECT_EQ(unclosed.frontmatter->errors.at(0).message, "YAML frontmatter has no closing fence");
  EXPECT_FALSE(parse("---\nJust prose.\n").frontmatter.has_value());
}

TEST(Convert, LinksAndReferenceDefinitions) {
  std::string text = "See [a](x.md \"T\"), [b][Ref], ![img](p.png) and [c][missing].\n\n[ref]: first.md\n[ REF ]: second.md\n";
  Document doc = parse(text);
  ASSERT_EQ(doc.links.size(), 3u);
  EXPECT_EQ(doc.links[0].destination, "x.md");
  EXPECT_EQ(doc.links[0].title, "T");
  EXPECT_EQ(slice(doc, doc.links[0].destination_span), "x.md");
  EXPECT_FALSE(doc.links[0].reference.has_value());
  EXPECT_EQ(doc.links[1].destination, "first.md");  // the first definition wins
  EXPECT_EQ(doc.links[1].reference, "Ref");
  EXPECT_EQ(slice(doc, doc.links[1].destination_span), "first.md");
  EXPECT_TRUE(doc.links[2].image);
  EXPECT_EQ(slice(doc, doc.links[2].span), "![img](p.png)");
}

TEST(Convert, HeadingTextLeavesOutDestinations) {
  Document doc = parse("## See [guide](x.md) and `code`\n");
  ASSERT_EQ(doc.sections.size(), 2u);
  EXPECT_EQ(doc.sections[1].heading, "See guide and code");
}

TEST(Convert, Identifiers) {
  Document doc = parse("Use `std::fs`, `foo_bar()`, `---`, `a.b/c`, `$HOME` and `名前`.\n");
  std::vector<std::string> ids;
  for (const auto& id : doc.identifiers) ids.push_back(id.text);
  EXPECT_EQ(ids, (std::vector<std::string>{"std::fs", "a.b/c", "$HOME", "名前"}));
  EXPECT_EQ(doc.identifiers[0].block, 0u);
  EXPECT_EQ(slice(doc, doc.identifiers[0].span), "`std::fs`");
}

TEST(Convert, ImageOnlyDocument) {
  Document doc = parse("![A diagram](d.png)\n");
  ASSERT_EQ(doc.links.size(), 1u);
  EXPECT_TRUE(doc.links[0].image);
  ASSERT_EQ(doc.sentences.size(), 1u);
  bool alt = false;
  for (const auto& f : doc.sentences[0].fragments) alt |= f.kind == FragmentKind::link_text && f.text == "A diagram";
  EXPECT_TRUE(alt);
}

TEST(Convert, LanguageDeclaredOrDetected) {
  EXPECT_EQ(parse("这是中文文档。还有一句。\n").language, Language::zh);
  EXPECT_EQ(parse("これは日本語です。\n").language, Language::ja);
  EXPECT_EQ(parse("---\nlang: ja\n---\nPlain English words here.\n").language, Language::ja);
  EXPECT_EQ(parse("---\nlang: JA\n---\n这是中文。\n").language, Language::zh);  // not an exact code
}

TEST(Convert, ScriptHidesComments) {
  Document doc = parse("<script>\n<!-- no -->\n</script>\n\n<!-- a --><!-- b -->\n");
  ASSERT_EQ(doc.comments.size(), 2u);
  EXPECT_EQ(doc.comments[0].content, " a ");
  EXPECT_EQ(doc.comments[1].content, " b ");
}

TEST(Convert, DeepNestingDoesNotExhaustTheStack) {
  std::string deep(20000, '>');
  deep += " text\n";
  std::string lists;
  for (int i = 0; i < 5000; ++i) lists += std::string(static_cast<std::size_t>(i) * 2, ' ') + "- item\n";
  EXPECT_FALSE(parse(deep).blocks.empty());
  EXPECT_FALSE(parse(lists).blocks.empty());
}

}  // namespace
}  // namespace tovik::md
