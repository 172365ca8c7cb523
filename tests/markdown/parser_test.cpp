// Unit tests of the parser's own contract: the tree's shape and links, byte offsets, decoded values,
// frontmatter, definitions and labels, and robustness on odd input. The examples and the oracle trees
// cover the Markdown grammar itself.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "markdown/parser.hpp"

namespace tovik::markdown {
namespace {

// The ids of the nodes of one type, in document order.
std::vector<NodeId> find_all(const Tree& tree, NodeType type) {
  std::vector<NodeId> out;
  for (NodeId id = 0; id < tree.nodes.size(); ++id) {
    if (tree.nodes[id].type == type) out.push_back(id);
  }
  return out;
}

NodeId find_first(const Tree& tree, NodeType type) {
  std::vector<NodeId> all = find_all(tree, type);
  return all.empty() ? kNoNode : all.front();
}

TEST(ParserTree, NodesArePreOrderWithConsistentLinks) {
  Tree tree = parse("# Title\n\n> quote *em* `code`\n\n- a\n- b [link](/x)\n");
  ASSERT_EQ(tree.nodes[kRoot].type, NodeType::Root);
  for (NodeId id = 0; id < tree.nodes.size(); ++id) {
    NodeId previous = kNoNode;
    for (NodeId child : tree.children(id)) {
      EXPECT_GT(child, id);
      EXPECT_EQ(tree.nodes[child].parent, id);
      EXPECT_EQ(tree.nodes[child].prev_sibling, previous);
      if (previous != kNoNode) {
        EXPECT_LE(tree.nodes[previous].end, tree.nodes[child].start);
      }
      EXPECT_GE(tree.nodes[child].start, tree.nodes[id].start);
      EXPECT_LE(tree.nodes[child].end, tree.nodes[id].end);
      previous = child;
    }
    EXPECT_EQ(tree.nodes[id].last_child, previous);
  }
  // Pre-order: the first child directly follows its parent.
  for (NodeId id = 0; id < tree.nodes.size(); ++id) {
    if (tree.nodes[id].first_child != kNoNode) {
      EXPECT_EQ(tree.nodes[id].first_child, id + 1);
    }
  }
}

struct SpanCase {
  const char* markdown;
  NodeType type;
  const char* text;  // the source text the first node of `type` covers
};

class NodeSpans : public ::testing::TestWithParam<SpanCase> {};

TEST_P(NodeSpans, CoverTheirSource) {
  const SpanCase& c = GetParam();
  Tree tree = parse(c.markdown);
  NodeId id = find_first(tree, c.type);
  ASSERT_NE(id, kNoNode) << type_name(c.type);
  EXPECT_EQ(tree.text(id), c.text) << type_name(c.type);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, NodeSpans,
    ::testing::Values(SpanCase{"  # Head #  \n", NodeType::Heading, "# Head #  "},
                      SpanCase{"Head\n===\n", NodeType::Heading, "Head\n==="},
                      SpanCase{"  para  \n  two\n", NodeType::Paragraph, "para  \n  two"},
                      SpanCase{" ***  \n", NodeType::ThematicBreak, "***  "},
                      SpanCase{"> a\nlazy\n", NodeType::Blockquote, "> a\nlazy"},
                      SpanCase{"- a\n\n  b\n\nafter\n", NodeType::ListItem, "- a\n\n  b"},
                      SpanCase{"    code\n\n", NodeType::Code, "    code"},
                      SpanCase{"```js x\ncode\n```\n", NodeType::Code, "```js x\ncode\n```"},
                      SpanCase{"```\nnever closed\n", NodeType::Code, "```\nnever closed\n"},
                      SpanCase{"  <div>\n  x\n\n", NodeType::Html, "  <div>\n  x"},
                      SpanCase{"[a]: /u 'title'  \n", NodeType::Definition, "[a]: /u 'title'  "},
                      SpanCase{"| a | b |\n| - | - |\n", NodeType::TableCell, "| a "},
                      SpanCase{"[^n]: note\n\n[^n]\n", NodeType::FootnoteDefinition, "[^n]: note"},
                      SpanCase{"- [x] done\n", NodeType::Paragraph, "done"}));

INSTANTIATE_TEST_SUITE_P(Inlines, NodeSpans,
                         ::testing::Values(SpanCase{"a **b** c\n", NodeType::Strong, "**b**"},
                                           SpanCase{"a ``b ` c`` d\n", NodeType::InlineCode, "``b ` c``"},
                                           SpanCase{"a  \nb\n", NodeType::Break, "  \n"},
                                           SpanCase{"a\\\nb\n", NodeType::Break, "\\\n"},
                                           SpanCase{"a <b x=\"1\"> c\n", NodeType::Html, "<b x=\"1\">"},
                                           SpanCase{"[t](/u \"x\") z\n", NodeType::Link, "[t](/u \"x\")"},
                                           SpanCase{"see www.example.com/a.\n", NodeType::Link,
                                                    "www.example.com/a"},
                                           SpanCase{"x ![alt](i.png)\n", NodeType::Image, "![alt](i.png)"},
                                           SpanCase{"[r][]\n\n[r]: /u\n", NodeType::LinkReference, "[r][]"},
                                           SpanCase{"~~gone~~\n", NodeType::Delete, "~~gone~~"},
                                           SpanCase{"one\ntwo &amp; \\*three\\*\n", NodeType::Text,
                                                    "one\ntwo &amp; \\*three\\*"}));

TEST(ParserOffsets, CountTheByteOrderMarkAndMultibyteText) {
  Tree tree = parse("\xef\xbb\xbf# Ünïcödé\n");
  EXPECT_EQ(tree.nodes[kRoot].start, 3u);  // the root starts after the mark
  NodeId heading = find_first(tree, NodeType::Heading);
  EXPECT_EQ(tree.nodes[heading].start, 3u);
  NodeId text = find_first(tree, NodeType::Text);
  EXPECT_EQ(tree.text(text), "Ünïcödé");
  EXPECT_EQ(tree.nodes[kRoot].end, tree.source.size());
}

TEST(ParserOffsets, CarriageReturnLineEndings) {
  Tree tree = parse("a\r\nb  \r\nc\r\n\r\n- x\r\n");
  NodeId paragraph = find_first(tree, NodeType::Paragraph);
  EXPECT_EQ(tree.text(paragraph), "a\r\nb  \r\nc");
  NodeId first_text = find_first(tree, NodeType::Text);
  EXPECT_EQ(tree.nodes[first_text].value, "a\r\nb");
  EXPECT_EQ(tree.text(find_first(tree, NodeType::Break)), "  \r\n");
  EXPECT_EQ(tree.text(find_first(tree, NodeType::ListItem)), "- x");
}

TEST(ParserValues, TextMergesAcrossSoftBreaksAndDecodes) {
  Tree tree = parse("> one  \n> two &amp; \\*three\\*\n> four &#x263A; &nosuch; \\q\n");
  std::vector<NodeId> texts = find_all(tree, NodeType::Text);
  ASSERT_EQ(texts.size(), 2u);  // a hard break separates them
  EXPECT_EQ(tree.nodes[texts[0]].value, "one");
  EXPECT_EQ(tree.nodes[texts[1]].value, "two & *three*\nfour \xe2\x98\xba &nosuch; \\q");
  // The span stays in the source, quote markers included.
  EXPECT_EQ(tree.text(texts[1]), "two &amp; \\*three\\*\n> four &#x263A; &nosuch; \\q");
}

TEST(ParserValues, CodeAndHtmlKeepTheirText) {
  Tree tree =
      parse("```rust  title=\"a b\"\nfn main() {}\n  x\n```\n\n    indented\n      more\n\n<!-- c -->\n");
  std::vector<NodeId> codes = find_all(tree, NodeType::Code);
  ASSERT_EQ(codes.size(), 2u);
  EXPECT_EQ(tree.details_of(codes[0]).lang, "rust");
  EXPECT_EQ(tree.details_of(codes[0]).meta, "title=\"a b\"");
  EXPECT_EQ(tree.nodes[codes[0]].value, "fn main() {}\n  x");
  EXPECT_FALSE(tree.details_of(codes[1]).lang.has_value());
  EXPECT_EQ(tree.nodes[codes[1]].value, "indented\n  more");
  EXPECT_EQ(tree.nodes[find_first(tree, NodeType::Html)].value, "<!-- c -->");
}

TEST(ParserValues, CodeSpansLoseContinuationLineIndentation) {
  struct Case {
    const char* source;
    const char* value;
  };
  const Case cases[] = {
      {"x `a\n   b` y\n", "a\nb"},
      {"- item `c\n  d` z\n", "c\nd"},
      {"> q `e\n>    f` g\n", "e\nf"},
      {"`g  \n\th`\n", "g  \nh"},  // trailing spaces before the line ending stay
  };
  for (const auto& c : cases) {
    Tree tree = parse(c.source);
    NodeId code = find_first(tree, NodeType::InlineCode);
    ASSERT_NE(code, kNoNode) << c.source;
    EXPECT_EQ(tree.nodes[code].value, c.value) << c.source;
  }
}

TEST(ParserValues, NulBecomesReplacementCharacter) {
  std::string source("a\0b `c\0` d\n", 11);
  Tree tree = parse(source);
  EXPECT_EQ(tree.nodes[find_first(tree, NodeType::Text)].value,
            "a\xef\xbf\xbd"
            "b ");
  EXPECT_EQ(tree.nodes[find_first(tree, NodeType::InlineCode)].value, "c\xef\xbf\xbd");
  EXPECT_EQ(tree.nodes[kRoot].end, source.size());
}

TEST(ParserValues, OutliveTheSourceAndMoves) {
  Tree moved;
  {
    std::string source = "Some [link](/target \"T\") and `code`, &copy;\n";
    Tree tree = parse(source);
    source.assign(source.size(), 'x');  // the tree keeps its own copy
    moved = std::move(tree);
  }
  NodeId link = find_first(moved, NodeType::Link);
  EXPECT_EQ(moved.details_of(link).url, "/target");
  EXPECT_EQ(moved.details_of(link).title, "T");
  EXPECT_EQ(moved.nodes[find_first(moved, NodeType::InlineCode)].value, "code");
  EXPECT_EQ(moved.text(link), "[link](/target \"T\")");
}

struct FrontmatterCase {
  const char* markdown;
  bool is_yaml;
  const char* value;  // when it is
  const char* text;
};

class Frontmatter : public ::testing::TestWithParam<FrontmatterCase> {};

TEST_P(Frontmatter, OnlyAtTheVeryStart) {
  const FrontmatterCase& c = GetParam();
  Tree tree = parse(c.markdown);
  NodeId first = tree.nodes[kRoot].first_child;
  if (!c.is_yaml) {
    EXPECT_EQ(find_first(tree, NodeType::Yaml), kNoNode);
    return;
  }
  ASSERT_NE(first, kNoNode);
  ASSERT_EQ(tree.nodes[first].type, NodeType::Yaml);
  EXPECT_EQ(tree.nodes[first].value, c.value);
  EXPECT_EQ(tree.text(first), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Frontmatter,
    ::testing::Values(FrontmatterCase{"---\nkind: howto\n---\n# T\n", true, "kind: howto",
                                      "---\nkind: howto\n---"},
                      FrontmatterCase{"\xef\xbb\xbf---\na: 1\n---\n", true, "a: 1", "---\na: 1\n---"},
                      FrontmatterCase{"---\r\na: 1\r\nb: 2\r\n---\r\nx\r\n", true, "a: 1\r\nb: 2",
                                      "---\r\na: 1\r\nb: 2\r\n---"},
                      FrontmatterCase{"---\n---\n", true, "", "---\n---"},
                      FrontmatterCase{"---\ntitle: x\n", false, "", ""},     // never closed
                      FrontmatterCase{"--- \na: 1\n---\n", false, "", ""},   // first line is not exactly ---
                      FrontmatterCase{"\n---\na: 1\n---\n", false, "", ""},  // not on the first line
                      FrontmatterCase{"# T\n\n---\na: 1\n---\n", false, "", ""}));

TEST(ParserFrontmatter, UnclosedFenceIsABreak) {
  Tree tree = parse("---\nprose line\n");
  EXPECT_EQ(tree.nodes[tree.nodes[kRoot].first_child].type, NodeType::ThematicBreak);
}

TEST(ParserDefinitions, StayInPlaceAndResolveReferences) {
  Tree tree = parse(
      "[Ref]: /first \"One\"\n[REF]: /second\n\npara [ref] and [text][  ref ] and ![pic][Ref] [nope]\n");
  std::vector<NodeId> defs = find_all(tree, NodeType::Definition);
  ASSERT_EQ(defs.size(), 2u);
  EXPECT_EQ(tree.nodes[defs[0]].parent, kRoot);
  EXPECT_EQ(tree.details_of(defs[0]).label, "Ref");
  EXPECT_EQ(tree.details_of(defs[0]).identifier, "ref");
  EXPECT_EQ(tree.details_of(defs[0]).url, "/first");
  EXPECT_EQ(tree.details_of(defs[0]).title, "One");
  EXPECT_FALSE(tree.details_of(defs[1]).title.has_value());
  std::vector<NodeId> refs = find_all(tree, NodeType::LinkReference);
  ASSERT_EQ(refs.size(), 2u);  // [nope] has no definition: it stays text
  EXPECT_EQ(tree.nodes[refs[0]].reference_type, ReferenceType::Shortcut);
  EXPECT_EQ(tree.nodes[refs[1]].reference_type, ReferenceType::Full);
  EXPECT_EQ(tree.details_of(refs[1]).label, "  ref ");
  EXPECT_EQ(tree.details_of(refs[1]).identifier, "ref");
  NodeId image = find_first(tree, NodeType::ImageReference);
  EXPECT_EQ(tree.details_of(image).alt, "pic");
  EXPECT_EQ(tree.nodes[image].first_child, kNoNode);  // the description became the alt text
}

TEST(ParserDefinitions, LabelsFoldCase) {
  EXPECT_EQ(normalize_label("  Foo \n\t BAR  "), "foo bar");
  EXPECT_EQ(normalize_label("\xe1\xba\x9e"), "ss");  // capital sharp s folds like "SS"
  EXPECT_EQ(normalize_label("\xce\x91\xce\x92\xce\x93"), "\xce\xb1\xce\xb2\xce\xb3");
  Tree tree = parse("[\xe1\xba\x9e]\n\n[SS]: /s\n");
  EXPECT_NE(find_first(tree, NodeType::LinkReference), kNoNode);
}

TEST(ParserGfm, TaskItemsTablesFootnotes) {
  Tree tree = parse(
      "- [ ] open\n- [x] done\n- [ ]\n\n| a | b |\n|:--|--:|\n| 1 |\n\nnote[^1] [^none]\n\n[^1]: text\n");
  std::vector<NodeId> items = find_all(tree, NodeType::ListItem);
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(tree.nodes[items[0]].checked, false);
  EXPECT_EQ(tree.nodes[items[1]].checked, true);
  EXPECT_FALSE(tree.nodes[items[2]].checked.has_value());  // nothing after the box: not a task
  NodeId table = find_first(tree, NodeType::Table);
  EXPECT_EQ(tree.details_of(table).align, (std::vector<Align>{Align::Left, Align::Right}));
  EXPECT_EQ(find_all(tree, NodeType::TableRow).size(), 2u);
  std::vector<NodeId> notes = find_all(tree, NodeType::FootnoteReference);
  ASSERT_EQ(notes.size(), 1u);  // [^none] is not defined
  EXPECT_EQ(tree.details_of(notes[0]).label, "1");
  EXPECT_EQ(tree.details_of(find_first(tree, NodeType::FootnoteDefinition)).identifier, "1");
}

TEST(ParserLists, OrderedStartAndSpread) {
  Tree tight = parse("3. a\n4. b\n");
  NodeId list = find_first(tight, NodeType::List);
  EXPECT_TRUE(tight.nodes[list].ordered);
  EXPECT_EQ(tight.nodes[list].start_number, 3u);
  EXPECT_FALSE(tight.nodes[list].spread);
  EXPECT_FALSE(tight.nodes[list].loose);

  Tree spread = parse("- a\n\n- b\n");
  EXPECT_TRUE(spread.nodes[find_first(spread, NodeType::List)].spread);

  Tree item_spread = parse("- a\n\n  b\n");
  NodeId l = find_first(item_spread, NodeType::List);
  EXPECT_FALSE(item_spread.nodes[l].spread);  // no blank line between items...
  EXPECT_TRUE(item_spread.nodes[find_first(item_spread, NodeType::ListItem)].spread);
  EXPECT_TRUE(item_spread.nodes[l].loose);  // ...but loose in CommonMark's sense
}

TEST(ParserRobustness, DeepNestingAndOddBytes) {
  // Nesting far deeper than any call stack would allow.
  EXPECT_EQ(find_all(parse(std::string(100000, '>') + " a\n"), NodeType::Blockquote).size(), 100000u);
  std::string lists;
  for (int i = 0; i < 20000; ++i) lists += "- ";
  EXPECT_EQ(find_all(parse(lists + "a\n"), NodeType::ListItem).size(), 20000u);
  std::string brackets = std::string(50000, '[') + "a" + std::string(50000, ']');
  EXPECT_EQ(parse(brackets).nodes.size(), 3u);  // root, paragraph, one text
  // Invalid UTF-8 and control bytes never break the tree.
  std::string odd = "\xff\xfe *\xc3 _\xe2\x82 `\xf0\x9f` [\x80](\x81) \x01\x02\n\xc0\n";
  Tree tree = parse(odd);
  for (const Node& node : tree.nodes) {
    EXPECT_LE(node.start, node.end);
    EXPECT_LE(node.end, odd.size());
  }
  EXPECT_EQ(parse("").nodes.size(), 1u);
}

}  // namespace
}  // namespace tovik::markdown
